// Feeds arbitrary bytes to the settings file reader. It must say how far it read, apply no more
// than that, and a complete read must write back to bytes that read again to the same values.
#include "app/settings_file.h"

#include <cstddef>
#include <cstdint>

namespace {

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

// Counts the values the window would be given.
class CountingSink : public cadenzo::SettingsSink {
public:
    int calls = 0;
    bool pane = false;

    void setSeqBtnGroup(std::int32_t) override { ++calls; }
    void setWindowTop(std::int32_t) override { ++calls; }
    void setWindowLeft(std::int32_t) override { ++calls; }
    void setWindowWidth(std::int32_t) override { ++calls; }
    void setWindowHeight(std::int32_t) override { ++calls; }
    void applyColorScheme(std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                          std::int32_t) override {
        ++calls;
    }
    void setMidiChannel(std::uint8_t) override { ++calls; }
    void setMidiProgram(std::uint8_t) override { ++calls; }
    void setMidiVelocity(std::uint8_t) override { ++calls; }
    void setMidiDevice(std::uint8_t) override { ++calls; }
    void checkPlayOnSetting() override { ++calls; }
    void checkStayOnTop() override { ++calls; }
    void checkChordSearch() override { ++calls; }
    void setRollPrintMode(std::int32_t) override { ++calls; }
    void setTuning(int string, std::uint8_t) override {
        Require(string >= 0 && string < cadenzo::STRING_COUNT);
        ++calls;
    }
    void setSeqPane(std::int32_t) override { pane = true; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cadenzo;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const SettingsRead read = ReadSettingsText(text, "fuzz.ini");
    Require(read.linesRead >= 0 && read.linesRead <= SETTINGS_LINES);
    Require(read.complete() == read.result.ok());
    Require(read.complete() ? read.failedLine == 0 : read.failedLine == read.linesRead + 1);

    CountingSink sink;
    ApplySettings(read, sink);
    Require(sink.pane == read.complete());
    Require(sink.calls <= read.linesRead);

    if (read.complete()) {
        const std::string written = SettingsText(read.values);
        const SettingsRead again = ReadSettingsText(written, "again.ini");
        Require(again.complete() && again.values == read.values);
        Require(SettingsText(again.values) == written);
    }
    return 0;
}
