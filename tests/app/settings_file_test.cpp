#include "app/settings_file.h"

#include "files/temp_folder.h"
#include "support/first_run_settings.h"
#include "support/recording_settings_sink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <random>
#include <tuple>
#include <vector>

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

std::vector<std::string> Lines(const std::string& file) {
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = file.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(file.substr(at, end - at));
    return lines;
}

// Random files with random lines made unreadable and a random tail cut off: every good line is
// read as written, every other one takes its default, and the message names exactly those.
TEST(SettingsFile, EachBadLineTakesItsDefaultAndEveryOtherLineIsRead) {
    const unsigned seed = std::random_device()();
    std::mt19937 random(seed);
    const auto number = [&](std::int64_t low, std::int64_t high) {
        return static_cast<std::int32_t>(
            std::uniform_int_distribution<std::int64_t>(low, high)(random));
    };
    const char* bad[] = {"wide", "", " 1", "1.5", "2147483648", "+-1", "True"};
    const std::vector<std::string> defaults = Lines(settingsText(defaultSettings(640)));
    for (int round = 0; round < 300; ++round) {
        Settings v;
        for (std::int32_t* n : {&v.seqBtnGroup, &v.top, &v.left, &v.width, &v.height,
                                &v.backGroundBtm, &v.backGroundTop, &v.buttonBtm, &v.buttonTop,
                                &v.fontColor, &v.printModeBox, &v.widthAgain})
            *n = number(INT32_MIN, INT32_MAX);
        for (std::uint8_t* b : {&v.midiChannel, &v.midiProgram, &v.midiVelocity, &v.midiDevice,
                                &v.tuning[0], &v.tuning[2], &v.tuning[5]})
            *b = static_cast<std::uint8_t>(number(0, 255));
        v.playOnSetting = number(0, 1) == 0;
        v.chordSearch = number(0, 1) == 0;
        std::vector<std::string> lines = Lines(settingsText(v)), expected = lines;
        const int cut = number(0, 2) == 0 ? number(2, 26) : 27; // first missing line
        std::vector<int> replaced;
        std::string file, notes;
        for (int k = 1; k <= 26; ++k) {
            auto& line = lines[static_cast<std::size_t>(k - 1)];
            const bool flag = k >= 16 && k <= 18;
            if (k > 1 && !flag && number(0, 3) == 0 && k < cut) {
                line = bad[number(0, 6)];
                notes += "line " + std::to_string(k) + " \"" + line + "\" is not a whole number; ";
            }
            if (k < cut)
                file += line + "\r\n";
            if (k >= cut || line != expected[static_cast<std::size_t>(k - 1)]) {
                expected[static_cast<std::size_t>(k - 1)] =
                    defaults[static_cast<std::size_t>(k - 1)];
                replaced.push_back(k);
            }
        }
        if (cut <= 26)
            notes += cut == 26 ? "line 26 is missing; "
                               : "lines " + std::to_string(cut) + " to 26 are missing; ";
        const SettingsRead read = readSettingsText(file, "a.ini", 640);
        ASSERT_EQ(Lines(settingsText(read.values)), expected) << "seed " << seed << "\n" << file;
        ASSERT_EQ(read.replacedLines, replaced) << "seed " << seed;
        const std::string ending =
            replaced.size() == 1 ? ". Its default was used." : ". Their defaults were used.";
        ASSERT_EQ(read.result.message, replaced.empty()
                                           ? ""
                                           : "The settings file \"a.ini\": " +
                                                 notes.substr(0, notes.size() - 2) + ending);
        ASSERT_EQ(read.complete(), replaced.empty());
    }
}

// One bad line does not retune the guitar nor unset the colours and switches after it; a file that
// cannot be opened applies the defaults. The pane is set last in every case.
TEST(SettingsFile, ABadLineAppliesItsDefaultAndEveryOtherLine) {
    const SettingsRead read =
        readSettingsText(WithLine(WithLine(usedFile, 5, "wide"), 26, nullptr), "/a/Cadenzo.ini");
    EXPECT_EQ(read.result.message, "The settings file \"/a/Cadenzo.ini\": line 5 \"wide\" is not a "
                                   "whole number; line 26 is missing. Their defaults were used.");
    RecordingSink sink;
    applySettings(read, sink);
    EXPECT_THAT(sink.log, ElementsAre("SeqBtn 1", "top 112", "left -8", "width 422", "height 500",
                                      "colours -2147483633..0", "channel 9", "program 0",
                                      "velocity 127", "device 3", "Stayontop1", "roll 1",
                                      "width 800", "tuning0 28", "tuning1 23", "tuning2 19",
                                      "tuning3 14", "tuning4 9", "tuning5 4", "SetSeqPane 1"));

    TempFolder folder;
    std::filesystem::create_directory(folder / "Cadenzo.ini");
    const SettingsLoad load = loadSettingsFile(folder / "Cadenzo.ini", 422);
    EXPECT_THAT(load.result.message, HasSubstr(QuotedName(folder / "Cadenzo.ini")));
    sink.log.clear();
    applySettings(load, sink);
    EXPECT_EQ(sink.log.size(), 21u); // both default switches checked
    EXPECT_EQ(settingsText(load.values), firstRunSettings);
}

} // namespace
} // namespace cadenzo
