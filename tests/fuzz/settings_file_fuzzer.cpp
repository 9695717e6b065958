// Every line read or defaulted, every value applied (the pane last); the values write and read back
// the same, and a read that replaced no line gives its bytes back.
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
    Require(read.complete() == read.replacedLines.empty());
    Require(std::is_sorted(read.replacedLines.begin(), read.replacedLines.end()));
    Require(read.replacedLines.empty() ||
            (read.replacedLines.front() >= 1 && read.replacedLines.back() <= SETTINGS_LINES));

    test::RecordingSink sink;
    applySettings(read, sink);
    Require(!sink.log.empty() && sink.log.back().rfind("SetSeqPane", 0) == 0);
    Require(sink.log.size() >= 19 && sink.log.size() <= 22);

    const std::string written = settingsText(read.values);
    const SettingsRead again = readSettingsText(written, "again.ini");
    Require(again.complete() && again.values == read.values);
    Require(settingsText(again.values) == written);
    return 0;
}
