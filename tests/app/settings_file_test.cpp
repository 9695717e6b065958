#include "app/settings_file.h"

#include "files/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace cadenzo {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;
using testing::ElementsAre;
using testing::HasSubstr;

// The file of a first run, written by hand from the file's line table.
const std::string firstRun = "CZ0200\r\n0\r\n30\r\n30\r\n422\r\n270\r\n"
                             "0\r\n8388608\r\n8388608\r\n16777215\r\n65535\r\n"
                             "0\r\n24\r\n100\r\n0\r\n"
                             "True\r\nFalse\r\nTrue\r\n"
                             "0\r\n422\r\n28\r\n23\r\n19\r\n14\r\n9\r\n4\r\n";

// A closed-down session with the pane open, stay on top, a system colour (0x8000000F, written
// signed) and Drop D.
const std::string usedFile = "CZ0200\r\n1\r\n112\r\n-8\r\n800\r\n500\r\n"
                             "-2147483633\r\n255\r\n32768\r\n12632256\r\n0\r\n"
                             "9\r\n0\r\n127\r\n3\r\n"
                             "False\r\nTrue\r\nFalse\r\n"
                             "1\r\n800\r\n28\r\n23\r\n19\r\n14\r\n9\r\n2\r\n";

// Replaces line `number` (from 1) of a file, or cuts the file before it when text is null.
std::string WithLine(const std::string &file, int number, const char *text) {
    std::string out;
    std::size_t start = 0;
    for (int line = 1; start < file.size(); ++line) {
        const std::size_t end = file.find("\r\n", start) + 2;
        if (line == number) {
            if (!text)
                return out;
            out += std::string(text) + "\r\n";
        } else {
            out += file.substr(start, end - start);
        }
        start = end;
    }
    return out;
}

TEST(SettingsFile, AFirstRunWritesTheDefaultsAndReadsThemBack) {
    TempFolder folder;
    const SettingsLoad load = LoadSettingsFile(folder / "Cadenzo.ini", 422);
    EXPECT_TRUE(load.defaultsWritten);
    EXPECT_TRUE(load.complete()) << load.error;
    EXPECT_EQ(load.error, "");
    EXPECT_EQ(ReadBytes(folder / "Cadenzo.ini"), firstRun);
    EXPECT_EQ(load.values, DefaultSettings());
    EXPECT_EQ(SettingsText(DefaultSettings()), firstRun);
}

TEST(SettingsFile, AHandWrittenFileReadsAndWritesBackByteForByte) {
    TempFolder folder;
    WriteBytes(folder / "Cadenzo.ini", usedFile);
    const SettingsLoad load = LoadSettingsFile(folder / "Cadenzo.ini", 422);
    ASSERT_TRUE(load.complete()) << load.error;
    EXPECT_FALSE(load.defaultsWritten);
    const Settings &v = load.values;
    EXPECT_EQ(v.seqBtnGroup, 1);
    EXPECT_EQ(v.left, -8);
    EXPECT_EQ(v.height, 500);
    EXPECT_EQ(v.backGroundBtm, static_cast<std::int32_t>(0x8000000F));
    EXPECT_EQ(v.midiChannel, 9);
    EXPECT_EQ(v.midiDevice, 3);
    EXPECT_FALSE(v.playOnSetting);
    EXPECT_TRUE(v.stayOnTop);
    EXPECT_EQ(v.rollPrintMode, 1);
    EXPECT_EQ(v.tuning, (Frets{28, 23, 19, 14, 9, 2}));

    const SettingsSave save = SaveSettingsFile(folder / "Cadenzo.ini", v);
    ASSERT_TRUE(save.result) << save.result.message;
    EXPECT_FALSE(save.defaultsWritten);
    EXPECT_EQ(ReadBytes(folder / "Cadenzo.ini"), usedFile);
}

TEST(SettingsFile, ALastLineWithoutItsLineEndIsStillRead) {
    const SettingsRead read =
        ReadSettingsText(usedFile.substr(0, usedFile.size() - 2), "Cadenzo.ini");
    EXPECT_TRUE(read.complete()) << read.error;
    EXPECT_EQ(read.values.tuning[5], 2);
}

class OtherVersion : public testing::TestWithParam<std::string> {};

TEST_P(OtherVersion, IsReplacedByTheDefaultsWithTheCurrentWidth) {
    TempFolder folder;
    WriteBytes(folder / "Cadenzo.ini", GetParam());
    const SettingsLoad load = LoadSettingsFile(folder / "Cadenzo.ini", 640);
    EXPECT_TRUE(load.defaultsWritten);
    ASSERT_TRUE(load.complete()) << load.error;
    EXPECT_EQ(load.values, DefaultSettings(640));
    EXPECT_EQ(ReadBytes(folder / "Cadenzo.ini"), WithLine(WithLine(firstRun, 5, "640"), 20, "640"));
}

INSTANTIATE_TEST_SUITE_P(Cases, OtherVersion,
                         testing::Values(WithLine(usedFile, 1, "CZ0100"),
                                         WithLine(usedFile, 1, "cz0200"),
                                         WithLine(usedFile, 1, "CZ0200 "),
                                         WithLine(usedFile, 1, ""), std::string()));

TEST(SettingsFile, FlagsAreTrueOnlyForExactlyTrue) {
    for (const char *text : {"true", "TRUE", "True ", "1", ""}) {
        const SettingsRead read = ReadSettingsText(WithLine(firstRun, 16, text), "Cadenzo.ini");
        EXPECT_TRUE(read.complete());
        EXPECT_FALSE(read.values.playOnSetting) << text;
    }
    EXPECT_TRUE(ReadSettingsText(WithLine(firstRun, 17, "True"), "x").values.stayOnTop);
}

TEST(SettingsFile, ByteValuesKeepTheirLowEightBits) {
    std::string text = WithLine(firstRun, 13, "300");
    text = WithLine(text, 12, "-1");
    text = WithLine(text, 26, "260");
    const SettingsRead read = ReadSettingsText(text, "x");
    ASSERT_TRUE(read.complete());
    EXPECT_EQ(read.values.midiProgram, 44);
    EXPECT_EQ(read.values.midiChannel, 255);
    EXPECT_EQ(read.values.tuning[5], 4);
}

// Records what the window is told, in order.
class RecordingSink : public SettingsSink {
public:
    std::vector<std::string> log;

    void setSeqBtnGroup(std::int32_t v) override { Add("SeqBtn", v); }
    void setWindowTop(std::int32_t v) override { Add("top", v); }
    void setWindowLeft(std::int32_t v) override { Add("left", v); }
    void setWindowWidth(std::int32_t v) override { Add("width", v); }
    void setWindowHeight(std::int32_t v) override { Add("height", v); }
    void applyColorScheme(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d,
                          std::int32_t e) override {
        log.push_back("colours " + std::to_string(a) + " " + std::to_string(b) + " " +
                      std::to_string(c) + " " + std::to_string(d) + " " + std::to_string(e));
    }
    void setMidiChannel(std::uint8_t v) override { Add("channel", v); }
    void setMidiProgram(std::uint8_t v) override { Add("program", v); }
    void setMidiVelocity(std::uint8_t v) override { Add("velocity", v); }
    void setMidiDevice(std::uint8_t v) override { Add("device", v); }
    void checkPlayOnSetting() override { log.push_back("Playonsetting1"); }
    void checkStayOnTop() override { log.push_back("Stayontop1"); }
    void checkChordSearch() override { log.push_back("ChordSe1"); }
    void setRollPrintMode(std::int32_t v) override { Add("rollPrintMode", v); }
    void setTuning(int s, std::uint8_t v) override { Add("tuning" + std::to_string(s), v); }
    void setSeqPane(std::int32_t v) override { Add("SetSeqPane", v); }

private:
    void Add(const std::string &what, std::int64_t v) {
        log.push_back(what + " " + std::to_string(v));
    }
};

TEST(SettingsApply, AppliesEveryValueInFileOrderThenSetsThePane) {
    RecordingSink sink;
    ApplySettings(ReadSettingsText(usedFile, "x"), sink);
    EXPECT_THAT(sink.log,
                ElementsAre("SeqBtn 1", "top 112", "left -8", "width 800", "height 500",
                            "colours -2147483633 255 32768 12632256 0", "channel 9", "program 0",
                            "velocity 127", "device 3", "Stayontop1", "rollPrintMode 1",
                            "width 800", "tuning0 28", "tuning1 23", "tuning2 19", "tuning3 14",
                            "tuning4 9", "tuning5 2", "SetSeqPane 1"));
}

struct FailingLine {
    int line;
    const char *text; // null: the file ends before this line
    std::vector<std::string> applied;
};

void PrintTo(const FailingLine &c, std::ostream *os) {
    *os << "line " << c.line;
}

class SettingsFailure : public testing::TestWithParam<FailingLine> {};

// The read stops at the failing line; what came before it is applied, and neither the colour
// scheme (when its five lines are not all read) nor the pane is set.
TEST_P(SettingsFailure, StopsAtTheLineAndKeepsWhatCameBefore) {
    const FailingLine &c = GetParam();
    TempFolder folder;
    WriteBytes(folder / "Cadenzo.ini", WithLine(usedFile, c.line, c.text));
    const SettingsLoad load = LoadSettingsFile(folder / "Cadenzo.ini", 422);
    EXPECT_FALSE(load.complete());
    EXPECT_FALSE(load.defaultsWritten);
    EXPECT_EQ(load.linesRead, c.line - 1);
    EXPECT_EQ(load.failedLine, c.line);
    EXPECT_THAT(load.error, HasSubstr(QuotedName(folder / "Cadenzo.ini")));
    EXPECT_THAT(load.error, HasSubstr("line " + std::to_string(c.line) + " "));
    RecordingSink sink;
    ApplySettings(load, sink);
    EXPECT_EQ(sink.log, c.applied);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsFailure,
    testing::Values(FailingLine{2, nullptr, {}}, FailingLine{3, "", {"SeqBtn 1"}},
                    FailingLine{
                        9, "navy", {"SeqBtn 1", "top 112", "left -8", "width 800", "height 500"}},
                    FailingLine{13,
                                "2147483648",
                                {"SeqBtn 1", "top 112", "left -8", "width 800", "height 500",
                                 "colours -2147483633 255 32768 12632256 0", "channel 9"}},
                    FailingLine{23,
                                nullptr,
                                {"SeqBtn 1", "top 112", "left -8", "width 800", "height 500",
                                 "colours -2147483633 255 32768 12632256 0", "channel 9",
                                 "program 0", "velocity 127", "device 3", "Stayontop1",
                                 "rollPrintMode 1", "width 800", "tuning0 28", "tuning1 23"}}),
    [](const auto &info) { return "Line" + std::to_string(info.param.line); });

TEST(SettingsFile, AFileThatCannotBeOpenedIsReported) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "Cadenzo.ini");
    const SettingsLoad load = LoadSettingsFile(folder / "Cadenzo.ini", 422);
    EXPECT_EQ(load.linesRead, 0);
    EXPECT_THAT(load.error, HasSubstr(QuotedName(folder / "Cadenzo.ini")));
    RecordingSink sink;
    ApplySettings(load, sink);
    EXPECT_TRUE(sink.log.empty());
}

TEST(SettingsSave, CloseWritesTwiceWithTheSameContent) {
    TempFolder folder;
    WriteBytes(folder / "Cadenzo.ini", firstRun);
    Settings state = ReadSettingsText(usedFile, "x").values;
    ASSERT_TRUE(SaveSettingsFile(folder / "Cadenzo.ini", state).result);
    const std::string first = ReadBytes(folder / "Cadenzo.ini");
    ASSERT_TRUE(SaveSettingsFile(folder / "Cadenzo.ini", state).result);
    EXPECT_EQ(ReadBytes(folder / "Cadenzo.ini"), first);
    EXPECT_EQ(first, usedFile);
}

TEST(SettingsSave, WithoutAFileTheDefaultsAreWrittenKeepingTheWidth) {
    TempFolder folder;
    Settings state = ReadSettingsText(usedFile, "x").values;
    const SettingsSave save = SaveSettingsFile(folder / "Cadenzo.ini", state);
    ASSERT_TRUE(save.result);
    EXPECT_TRUE(save.defaultsWritten);
    EXPECT_EQ(save.written, DefaultSettings(800));
    EXPECT_EQ(ReadBytes(folder / "Cadenzo.ini"), SettingsText(DefaultSettings(800)));
}

TEST(SettingsSave, AFailingWriteNamesTheFile) {
    TempFolder folder;
    const auto path = folder / "missing" / "Cadenzo.ini";
    const SettingsSave save = SaveSettingsFile(path, DefaultSettings());
    EXPECT_FALSE(save.result);
    EXPECT_THAT(save.result.message, HasSubstr(QuotedName(path)));
}

} // namespace
} // namespace cadenzo
