// Feeds arbitrary bytes to the settings file reader. It must say how far it read, apply no more
// than that (and the pane's state, which follows every read, good or not), and a complete read
// must write back to bytes that read again to the same values.
#include "app/settings_file.h"
#include "fuzz/fuzz_require.h"
#include "support/recording_settings_sink.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cadenzo;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const SettingsRead read = readSettingsText(text, "fuzz.ini");
    Require(read.linesRead >= 0 && read.linesRead <= SETTINGS_LINES);
    Require(read.complete() == read.result.ok());
    Require(read.complete() ? read.failedLine == 0 : read.failedLine == read.linesRead + 1);

    test::RecordingSink sink;
    applySettings(read, sink);
    const auto panes = std::count_if(sink.log.begin(), sink.log.end(), [](const std::string& s) {
        return s.rfind("SetSeqPane", 0) == 0;
    });
    Require(panes == 1);
    Require(static_cast<int>(sink.log.size() - panes) <= read.linesRead);

    if (read.complete()) {
        const std::string written = settingsText(read.values);
        const SettingsRead again = readSettingsText(written, "again.ini");
        Require(again.complete() && again.values == read.values);
        Require(settingsText(again.values) == written);
    }
    return 0;
}
