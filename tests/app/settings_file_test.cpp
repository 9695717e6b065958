#include "app/settings_file.h"

#include "files/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace cadenzo {
namespace {

using namespace test;
using testing::ElementsAre;
using testing::HasSubstr;

// The file of a first run, written by hand from the file's line table.
const std::string firstRun =
    "CZ0200\r\n0\r\n30\r\n30\r\n422\r\n270\r\n"
    "0\r\n8388608\r\n8388608\r\n16777215\r\n65535\r\n0\r\n24\r\n100\r\n0\r\n"
    "True\r\nFalse\r\nTrue\r\n0\r\n422\r\n28\r\n23\r\n19\r\n14\r\n9\r\n4\r\n";

// Closed with the pane open and on top, a system colour (0x8000000F, signed) and Drop D.
const std::string usedFile =
    "CZ0200\r\n1\r\n112\r\n-8\r\n800\r\n500\r\n"
    "-2147483633\r\n255\r\n32768\r\n12632256\r\n0\r\n9\r\n0\r\n127\r\n3\r\n"
    "False\r\nTrue\r\nFalse\r\n1\r\n800\r\n28\r\n23\r\n19\r\n14\r\n9\r\n2\r\n";

// The file with line `number` replaced by text, or cut before that line when text is null.
std::string WithLine(const std::string& file, int number, const char* text) {
    std::size_t start = 0;
    for (int line = 1; line < number; ++line)
        start = file.find("\r\n", start) + 2;
    if (!text)
        return file.substr(0, start);
    return file.substr(0, start) + text + file.substr(file.find("\r\n", start));
}

// Records what the window is told, in order.
struct RecordingSink : SettingsSink {
    std::vector<std::string> log;
    void Add(const std::string& what, std::int64_t v) { log.push_back(what + std::to_string(v)); }
    void setSeqBtnGroup(std::int32_t v) override { Add("SeqBtn ", v); }
    void setWindowTop(std::int32_t v) override { Add("top ", v); }
    void setWindowLeft(std::int32_t v) override { Add("left ", v); }
    void setWindowWidth(std::int32_t v) override { Add("width ", v); }
    void setWindowHeight(std::int32_t v) override { Add("height ", v); }
    void applyColorScheme(std::int32_t a, std::int32_t, std::int32_t, std::int32_t,
                          std::int32_t e) override {
        Add("colours " + std::to_string(a) + "..", e);
    }
    void setMidiChannel(std::uint8_t v) override { Add("channel ", v); }
    void setMidiProgram(std::uint8_t v) override { Add("program ", v); }
    void setMidiVelocity(std::uint8_t v) override { Add("velocity ", v); }
    void setMidiDevice(std::uint8_t v) override { Add("device ", v); }
    void checkPlayOnSetting() override { log.push_back("Playonsetting1"); }
    void checkStayOnTop() override { log.push_back("Stayontop1"); }
    void checkChordSearch() override { log.push_back("ChordSe1"); }
    void setRollPrintMode(std::int32_t v) override { Add("roll ", v); }
    void setTuning(int s, std::uint8_t v) override { Add("tuning" + std::to_string(s) + " ", v); }
    void setSeqPane(std::int32_t v) override { Add("SetSeqPane ", v); }
};

// A first run, and a file of another version (or none), get the defaults with the current width.
TEST(SettingsFile, AFirstRunOrAnotherVersionWritesTheDefaultsAndReadsThemBack) {
    TempFolder folder;
    const SettingsLoad load = LoadSettingsFile(folder / "Cadenzo.ini", 422);
    EXPECT_TRUE(load.defaultsWritten);
    EXPECT_TRUE(load.complete()) << load.result.message;
    EXPECT_EQ(ReadBytes(folder / "Cadenzo.ini"), firstRun);
    EXPECT_EQ(load.values, DefaultSettings());
    for (const char* version : {"CZ0100", "cz0200", "CZ0200 ", "", "(empty file)"}) {
        WriteBytes(folder / "Cadenzo.ini", version[0] == '(' ? "" : WithLine(usedFile, 1, version));
        const SettingsLoad other = LoadSettingsFile(folder / "Cadenzo.ini", 640);
        EXPECT_TRUE(other.defaultsWritten) << version;
        EXPECT_TRUE(other.complete()) << other.result.message;
        EXPECT_EQ(ReadBytes(folder / "Cadenzo.ini"),
                  WithLine(WithLine(firstRun, 5, "640"), 20, "640"))
            << version;
    }
}

TEST(SettingsFile, AHandWrittenFileIsAppliedInOrderAndWrittenBackByteForByte) {
    TempFolder folder;
    WriteBytes(folder / "Cadenzo.ini", usedFile);
    const SettingsLoad load = LoadSettingsFile(folder / "Cadenzo.ini", 422);
    ASSERT_TRUE(load.complete()) << load.result.message;
    EXPECT_FALSE(load.defaultsWritten);
    RecordingSink sink;
    ApplySettings(load, sink);
    EXPECT_THAT(sink.log, ElementsAre("SeqBtn 1", "top 112", "left -8", "width 800", "height 500",
                                      "colours -2147483633..0", "channel 9", "program 0",
                                      "velocity 127", "device 3", "Stayontop1", "roll 1",
                                      "width 800", "tuning0 28", "tuning1 23", "tuning2 19",
                                      "tuning3 14", "tuning4 9", "tuning5 2", "SetSeqPane 1"));
    // "Close (&X)" saves twice; both saves write the same bytes.
    for (int save = 0; save < 2; ++save) {
        ASSERT_TRUE(SaveSettingsFile(folder / "Cadenzo.ini", load.values).result);
        EXPECT_EQ(ReadBytes(folder / "Cadenzo.ini"), usedFile);
    }
    // A last line without its line end is still read.
    EXPECT_EQ(ReadSettingsText(usedFile.substr(0, usedFile.size() - 2), "x").values, load.values);
}

TEST(SettingsFile, FlagsAreTrueOnlyForExactlyTrueAndBytesKeepTheirLowEightBits) {
    std::string text = WithLine(WithLine(WithLine(firstRun, 12, "-1"), 13, "300"), 26, "260");
    for (const char* flag : {"true", "TRUE", "True ", ""}) {
        const SettingsRead read = ReadSettingsText(WithLine(text, 16, flag), "x");
        ASSERT_TRUE(read.complete());
        EXPECT_FALSE(read.values.playOnSetting) << flag;
        EXPECT_EQ(read.values.midiChannel, 255);
        EXPECT_EQ(read.values.midiProgram, 44);
        EXPECT_EQ(read.values.tuning[5], 4);
    }
}

TEST(SettingsFile, AReadStopsAtTheFailingLineNamingFileAndLine) {
    const std::pair<int, const char*> cases[] = {// null: the file ends before the line
                                                 {2, nullptr},       {3, ""},     {9, "navy"},
                                                 {13, "2147483648"}, {14, "+-1"}, {15, " 1"},
                                                 {19, nullptr},      {26, "4a"}};
    TempFolder folder;
    for (const auto& [line, text] : cases) {
        WriteBytes(folder / "Cadenzo.ini", WithLine(usedFile, line, text));
        const SettingsLoad load = LoadSettingsFile(folder / "Cadenzo.ini", 422);
        EXPECT_FALSE(load.defaultsWritten);
        EXPECT_EQ(load.linesRead, line - 1);
        EXPECT_EQ(load.failedLine, line);
        EXPECT_THAT(load.result.message, HasSubstr(QuotedName(folder / "Cadenzo.ini") + ": line " +
                                                   std::to_string(line) + " "));
    }
}

// The values before the failing line stay in force; the colour scheme needs all five colours,
// and the pane is set only after a complete read.
TEST(SettingsFile, AStoppedReadAppliesOnlyTheLinesBeforeTheFailure) {
    RecordingSink sink;
    ApplySettings(ReadSettingsText(WithLine(usedFile, 10, "x"), "x"), sink);
    EXPECT_THAT(sink.log, ElementsAre("SeqBtn 1", "top 112", "left -8", "width 800", "height 500"));
    sink.log.clear();
    ApplySettings(ReadSettingsText(WithLine(usedFile, 23, nullptr), "x"), sink);
    EXPECT_EQ(sink.log.size(), 15u);
    EXPECT_EQ(sink.log.back(), "tuning1 23");

    TempFolder folder; // a file that cannot be opened applies nothing
    std::filesystem::create_directory(folder / "Cadenzo.ini");
    const SettingsLoad load = LoadSettingsFile(folder / "Cadenzo.ini", 422);
    EXPECT_THAT(load.result.message, HasSubstr(QuotedName(folder / "Cadenzo.ini")));
    sink.log.clear();
    ApplySettings(load, sink);
    EXPECT_TRUE(sink.log.empty());
}

TEST(SettingsFile, SavingWithoutAFileWritesTheDefaultsKeepingTheWidth) {
    TempFolder folder;
    const SettingsSave save =
        SaveSettingsFile(folder / "Cadenzo.ini", ReadSettingsText(usedFile, "x").values);
    ASSERT_TRUE(save.result);
    EXPECT_TRUE(save.defaultsWritten);
    EXPECT_EQ(save.written, DefaultSettings(800));
    EXPECT_EQ(ReadBytes(folder / "Cadenzo.ini"), SettingsText(DefaultSettings(800)));
}

} // namespace
} // namespace cadenzo
