#include "app/settings_file.h"

#include "files/temp_folder.h"
#include "support/first_run_settings.h"
#include "support/recording_settings_sink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tuple>

namespace cadenzo {
namespace {

using namespace test;
using testing::ElementsAre;
using testing::HasSubstr;

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

// A file of another version (or none: the window's first-run test checks those bytes) gets
// the defaults with the current width.
TEST(SettingsFile, AnotherVersionWritesTheDefaultsAndReadsThemBack) {
    TempFolder folder;
    for (const char* version : {"CZ0100", "cz0200", "CZ0200 ", "", "(empty file)"}) {
        WriteBytes(folder / "Cadenzo.ini", version[0] == '(' ? "" : WithLine(usedFile, 1, version));
        const SettingsLoad load = loadSettingsFile(folder / "Cadenzo.ini", 640);
        EXPECT_TRUE(load.defaultsWritten && load.complete()) << version << load.result.message;
        EXPECT_EQ(ReadBytes(folder / "Cadenzo.ini"),
                  WithLine(WithLine(firstRunSettings, 5, "640"), 20, "640"))
            << version;
    }
}

TEST(SettingsFile, AHandWrittenFileIsAppliedInOrderAndWrittenBackByteForByte) {
    TempFolder folder;
    WriteBytes(folder / "Cadenzo.ini", usedFile);
    const SettingsLoad load = loadSettingsFile(folder / "Cadenzo.ini", 422);
    ASSERT_TRUE(load.complete()) << load.result.message;
    EXPECT_FALSE(load.defaultsWritten);
    RecordingSink sink;
    applySettings(load, sink);
    EXPECT_THAT(sink.log, ElementsAre("SeqBtn 1", "top 112", "left -8", "width 800", "height 500",
                                      "colours -2147483633..0", "channel 9", "program 0",
                                      "velocity 127", "device 3", "Stayontop1", "roll 1",
                                      "width 800", "tuning0 28", "tuning1 23", "tuning2 19",
                                      "tuning3 14", "tuning4 9", "tuning5 2", "SetSeqPane 1"));
    // "Close (&X)" saves twice; both saves write the same bytes.
    for (int save = 0; save < 2; ++save) {
        ASSERT_TRUE(saveSettingsFile(folder / "Cadenzo.ini", load.values).result);
        EXPECT_EQ(ReadBytes(folder / "Cadenzo.ini"), usedFile);
    }
    // A last line without its line end is still read.
    EXPECT_EQ(readSettingsText(usedFile.substr(0, usedFile.size() - 2), "x").values, load.values);
}

TEST(SettingsFile, FlagsAreTrueOnlyForExactlyTrueAndBytesKeepTheirLowEightBits) {
    std::string text =
        WithLine(WithLine(WithLine(firstRunSettings, 12, "-1"), 13, "300"), 26, "260");
    for (const char* flag : {"true", "TRUE", "True ", ""}) {
        const SettingsRead read = readSettingsText(WithLine(text, 16, flag), "x");
        ASSERT_TRUE(read.complete());
        const Settings& v = read.values;
        EXPECT_EQ(std::tuple(bool(v.playOnSetting), int(v.midiChannel), int(v.midiProgram),
                             int(v.tuning[5])),
                  std::tuple(false, 255, 44, 4))
            << flag;
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
        const SettingsLoad load = loadSettingsFile(folder / "Cadenzo.ini", 422);
        EXPECT_EQ(std::tuple(load.defaultsWritten, int(load.linesRead), int(load.failedLine)),
                  std::tuple(false, line - 1, line));
        EXPECT_THAT(load.result.message, HasSubstr(QuotedName(folder / "Cadenzo.ini") + ": line " +
                                                   std::to_string(line) + " "));
    }
}

// The values before the failing line stay in force and the colour scheme needs all five colours;
// the pane is set as after a complete read, so the menus match it and the height is its own.
TEST(SettingsFile, AStoppedReadAppliesOnlyTheLinesBeforeTheFailure) {
    RecordingSink sink;
    applySettings(readSettingsText(WithLine(usedFile, 10, "x"), "x"), sink);
    EXPECT_THAT(sink.log, ElementsAre("SeqBtn 1", "top 112", "left -8", "width 800", "height 500",
                                      "SetSeqPane 1"));

    TempFolder folder; // a file that cannot be opened applies only the closed pane
    std::filesystem::create_directory(folder / "Cadenzo.ini");
    const SettingsLoad load = loadSettingsFile(folder / "Cadenzo.ini", 422);
    EXPECT_THAT(load.result.message, HasSubstr(QuotedName(folder / "Cadenzo.ini")));
    sink.log.clear();
    applySettings(load, sink);
    EXPECT_THAT(sink.log, ElementsAre("SetSeqPane 0"));
}

} // namespace
} // namespace cadenzo
