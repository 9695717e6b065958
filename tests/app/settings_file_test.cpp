#include "app/settings_file.h"
#include "app/window_place.h"
#include "controls/control_geometry.h"
#include "files/temp_folder.h"
#include "support/first_run_settings.h"
#include "support/recording_settings_sink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

namespace cadenzo {
namespace {

using namespace test;
using testing::ElementsAre;

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

// Another version (or none: the first-run test checks those) gets defaults with the current width.
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

// The device's name follows the 26 lines, where a reader of 26 lines never looks.
TEST(SettingsFile, AHandWrittenFileIsAppliedInOrderAndWrittenBackByteForByte) {
    TempFolder folder;
    const std::string named = usedFile + "JACK: peer:in\r\n";
    WriteBytes(folder / "Cadenzo.ini", named);
    const SettingsLoad load = loadSettingsFile(folder / "Cadenzo.ini", 422);
    ASSERT_TRUE(load.complete() && !load.defaultsWritten) << load.result.message;
    RecordingSink sink;
    applySettings(load, sink);
    EXPECT_THAT(sink.log,
                ElementsAre("SeqBtn 1", "top 112", "left -8", "width 800", "height 500",
                            "colours -2147483633..0", "channel 9", "program 0", "velocity 127",
                            "device JACK: peer:in3", "Stayontop1", "roll 1", "width 800",
                            "tuning0 28", "tuning1 23", "tuning2 19", "tuning3 14", "tuning4 9",
                            "tuning5 2", "SetSeqPane 1"));
    // "Close (&X)" saves twice; both saves write the same bytes.
    for (int save = 0; save < 2; ++save) {
        ASSERT_TRUE(saveSettingsFile(folder / "Cadenzo.ini", load.values).result);
        EXPECT_EQ(ReadBytes(folder / "Cadenzo.ini"), named);
    }
    // A last line without its line end is still read; a name with a line break is left out.
    EXPECT_EQ(readSettingsText(named.substr(0, named.size() - 2), "x").values, load.values);
    for (const char* unstorable : {"a\rb", "a\nb"}) {
        Settings values = load.values;
        values.midiDeviceName = unstorable;
        EXPECT_EQ(settingsText(values), usedFile);
    }
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

// Random lines unreadable, a random tail cut: good lines read, others default and are named.
TEST(SettingsFile, EachBadLineTakesItsDefaultAndEveryOtherLineIsRead) {
    const unsigned seed = std::random_device()();
    std::mt19937 random(seed);
    const char* bad[] = {"wide", "", " 1", "1.5", "2147483648", "+-1", "True"};
    const auto good = Lines(usedFile), defaults = Lines(settingsText(defaultSettings(640)));
    for (int round = 0; round < 300; ++round) {
        const int cut = random() % 3 == 0 ? 2 + int(random() % 25) : 27; // first missing line
        std::vector<std::string> expected = good;
        std::vector<int> replaced;
        std::string file, notes;
        for (int k = 1; k < 27; ++k) {
            std::string line = good[k - 1];
            if (k > 1 && (k < 16 || k > 18) && k < cut && random() % 4 == 0) {
                line = bad[random() % 7];
                notes += "line " + std::to_string(k) + " \"" + line + "\" is not a whole number; ";
            }
            file += k < cut ? line + "\r\n" : "";
            if (k >= cut || line != good[k - 1])
                expected[k - 1] = defaults[k - 1], replaced.push_back(k);
        }
        if (cut < 27)
            notes += cut == 26 ? "line 26 is missing; "
                               : "lines " + std::to_string(cut) + " to 26 are missing; ";
        const SettingsRead read = readSettingsText(file, "a.ini", 640);
        ASSERT_EQ(Lines(settingsText(read.values)), expected) << "seed " << seed << "\n" << file;
        ASSERT_EQ(read.replacedLines, replaced);
        if (!replaced.empty())
            notes =
                "The settings file \"a.ini\": " + notes.substr(0, notes.size() - 2) +
                (replaced.size() == 1 ? ". Its default was used." : ". Their defaults were used.");
        ASSERT_EQ(read.result.message, notes);
    }
}

// (The random test above checks the message of every replaced line.)
TEST(SettingsFile, AFileThatCannotBeOpenedGivesTheFirstRunState) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "Cadenzo.ini");
    const SettingsLoad load = loadSettingsFile(folder / "Cadenzo.ini", 422);
    EXPECT_THAT(load.result.message, testing::HasSubstr(QuotedName(folder / "Cadenzo.ini")));
    EXPECT_EQ(settingsText(load.values), firstRunSettings);
}

TEST(WindowPlace, TheTitleBarAndTheWidthComeOnTheNearestScreen) {
    // A 1920x1050 primary (a panel below) and a 1280x1024 monitor on its right, reaching higher.
    const std::vector<DesktopRect> screens{{0, 0, 1920, 1050}, {1920, -200, 1280, 1024}};
    // On a screen or bottom below one: stays; far up right: second; off left: primary; mostly on
    // one: that one; title bar under panel, second ends higher; wider: left shows; no overflow.
    const std::pair<DesktopRect, DesktopPoint> cases[] = {
        {{30, 30, 422, 300}, {30, 30}},          {{100, 900, 422, 500}, {100, 900}},
        {{5000, -5000, 422, 300}, {2778, -200}}, {{-900, 400, 422, 300}, {0, 400}},
        {{1700, 400, 422, 300}, {1498, 400}},    {{1800, 400, 422, 300}, {1920, 400}},
        {{100, 1040, 422, 300}, {100, 1020}},    {{2000, 900, 422, 300}, {2000, 794}},
        {{-50, 10, 2500, 300}, {0, 10}},         {{2147483000, 2147483000, 422, 270}, {2778, 794}}};
    for (const auto& [frame, place] : cases)
        EXPECT_EQ(placeOnScreen(frame, screens, 30), place) << frame.left << "," << frame.top;
    EXPECT_EQ(placeOnScreen({-100, -100, 422, 270}, {}, 30), (DesktopPoint{-100, -100}));
}

// Contrast ratios as WCAG checkers give them, either way round; a path in a narrow panel, one
// unit per character, gives way from the left of its folder, never inside a character.
TEST(TextThatReads, ContrastRatiosAndPathsThatKeepTheFileName) {
    const std::tuple<PackedColor, PackedColor, double> ratios[] = {
        {clBlack, clWhite, 21.0},  {0x777777, clWhite, 4.48}, {clRed, clBlack, 5.25},
        {clMaroon, clBlack, 1.92}, {clBlue, clWhite, 8.59},   {clLime, clBlack, 15.3}};
    for (const auto& [a, b, ratio] : ratios)
        EXPECT_NEAR(contrastRatio(b, a) + contrastRatio(a, b), 2 * ratio, 0.01) << std::hex << a;
    EXPECT_TRUE(standOutColor(clMaroon) == clWhite && standOutColor(clRed) == clBlack);

    const auto cut = [](std::string_view path, int room) {
        return elideFolder(path, room, [](std::string_view s) {
            return int(
                std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
        });
    };
    const std::string p = "/home/u/songs/a.cz0", e = "…";
    EXPECT_EQ(
        std::vector({cut(p, 19), cut(p, 12), cut(p, 6), cut(p, 3), cut("/x/abcüefgh.cz0", 9)}),
        std::vector({p, e + "songs/a.cz0", e + "a.cz0", "a" + e + "0", "abcü" + e + ".cz0"}));
    EXPECT_EQ(cut("/ü/a.cz0", 7) + " " + cut("/aü/a.cz0", 8), e + "/a.cz0 " + e + "ü/a.cz0");
}

} // namespace
} // namespace cadenzo
