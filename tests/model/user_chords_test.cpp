#include "model/user_chords.h"

#include "files/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace cadenzo {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;
using testing::HasSubstr;

void Put(UserChordTable &table, int slot, std::string name, std::uint8_t key,
         UserChordFrets frets) {
    table.userChordName[slot] = std::move(name);
    table.userChordKey[slot] = key;
    table.userChordFlet[slot] = frets;
}

// Two chords, written by hand from the file format: a UTF-8 name, a name in an 8-bit code page
// that is not valid UTF-8, no key letter and the last letter, silent strings.
const std::string twoChords = "2\r\n"
                              "\xE3\x82\xA2m7\r\n"
                              "1\r\n"
                              "0\r\n3\r\n2\r\n0\r\n1\r\n255\r\n"
                              "\xC9t\xE9 x\r\n"
                              "26\r\n"
                              "3\r\n3\r\n0\r\n0\r\n2\r\n3\r\n";

// A table of five chords named c1..c5 with key letters 1..5 and frets k k k k k k.
UserChordTable FiveChords() {
    UserChordTable table;
    for (int k = 1; k <= 5; ++k)
        Put(table, k, "c" + std::to_string(k), static_cast<std::uint8_t>(k), {k, k, k, k, k, k});
    table.userChordCount = 5;
    return table;
}

TEST(ChordFile, ReadsAndWritesAHandWrittenFileByteForByteAndEmptiesNamesAboveTheCount) {
    TempFolder folder;
    WriteBytes(folder / "two.crd", twoChords);
    UserChordTable table = FiveChords();

    const FileResult result = LoadChordFile(table, folder / "two.crd", folder / "backup.crd");
    ASSERT_TRUE(result) << result.message;
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(table.userChordCount, 2);
    EXPECT_EQ(table.userChordName[1], "\xE3\x82\xA2m7");
    EXPECT_EQ(table.userChordKey[1], 1);
    EXPECT_EQ(table.userChordFlet[1], (UserChordFrets{0, 3, 2, 0, 1, 255}));
    EXPECT_EQ(table.userChordName[2], "\xC9t\xE9 x");
    EXPECT_EQ(table.userChordKey[2], 26);
    // Leftovers above the count lose their names only.
    for (int k = 3; k <= 5; ++k) {
        EXPECT_EQ(table.userChordName[k], "") << k;
        EXPECT_EQ(table.userChordKey[k], k);
        EXPECT_EQ(table.userChordFlet[k], (UserChordFrets{k, k, k, k, k, k}));
    }
    EXPECT_EQ(UserChordItems(table),
              (std::vector<std::string>{"\xE2\x86\x93UserChord", "\xE3\x82\xA2m7 : A",
                                        "\xC9t\xE9 x : Z"}));

    ASSERT_TRUE(SaveChordFile(table, folder / "again.crd"));
    EXPECT_EQ(ReadBytes(folder / "again.crd"), twoChords);
    // The backup did not exist, so loading created it holding an empty table.
    EXPECT_EQ(ReadBytes(folder / "backup.crd"), "0\r\n");
}

TEST(ChordFile, AFileWithoutItsLastLineEndOrWithBareLineFeedsReadsTheSame) {
    std::string loose = twoChords;
    loose.erase(loose.size() - 2); // no CR LF after the last fret
    std::string unixEnds;
    for (char c : twoChords)
        if (c != '\r')
            unixEnds += c;
    for (const std::string &text : {loose, unixEnds}) {
        UserChordTable table;
        ASSERT_TRUE(ReadChordText(table, text, "x.crd"));
        EXPECT_EQ(ChordFileText(table), twoChords);
    }
}

TEST(ChordFile, AnEmptyTableIsTheSingleLineZero) {
    EXPECT_EQ(ChordFileText(UserChordTable{}), "0\r\n");
    // Leftovers above the count are never written.
    UserChordTable table = FiveChords();
    table.userChordCount = 0;
    EXPECT_EQ(ChordFileText(table), "0\r\n");
}

TEST(ChordFile, OpeningANameThatDoesNotExistEmptiesTheTableAndCreatesTheFile) {
    TempFolder folder;
    WriteBytes(folder / "backup.crd", twoChords);
    UserChordTable table = FiveChords();
    ASSERT_TRUE(LoadChordFile(table, folder / "new.crd", folder / "backup.crd"));
    EXPECT_EQ(table.userChordCount, 0);
    EXPECT_EQ(table.userChordName[1], "");
    EXPECT_EQ(ReadBytes(folder / "new.crd"), "0\r\n");
    EXPECT_EQ(ReadBytes(folder / "backup.crd"), twoChords) << "an existing backup is kept";
    EXPECT_EQ(UserChordItems(table), std::vector<std::string>{USER_CHORD_HEADER});
}

TEST(ChordFile, AFirstRunCreatesTheBackupHoldingZero) {
    TempFolder folder;
    UserChordTable table;
    ASSERT_TRUE(LoadChordFile(table, folder / "backup.crd", folder / "backup.crd"));
    EXPECT_EQ(table.userChordCount, 0);
    EXPECT_EQ(ReadBytes(folder / "backup.crd"), "0\r\n");
}

TEST(ChordFile, ACountAbove31KeepsTheFirst31ChordsAndNeverWritesPastTheTable) {
    // Chord k is named nk and has six frets of value k.
    std::string text = "40\r\n";
    for (int k = 1; k <= 40; ++k) {
        text += "n" + std::to_string(k) + "\r\n1\r\n";
        for (int s = 0; s < 6; ++s)
            text += std::to_string(k) + "\r\n";
    }
    UserChordTable table;
    Put(table, 32, "room", 7, {9, 9, 9, 9, 9, 9});
    const FileResult result = ReadChordText(table, text, "big.crd");
    EXPECT_TRUE(result);
    EXPECT_THAT(result.message, HasSubstr("40 chords"));
    EXPECT_EQ(table.userChordCount, 31);
    EXPECT_EQ(table.userChordName[31], "n31");
    EXPECT_EQ(table.userChordFlet[31][5], 31);
    EXPECT_EQ(table.userChordName[32], "");
    EXPECT_EQ(table.userChordKey[32], 7);
    EXPECT_EQ(table.userChordFlet[32], (UserChordFrets{9, 9, 9, 9, 9, 9}));
    EXPECT_EQ(UserChordItems(table).size(), 32u);
}

struct BrokenFile {
    const char *what;
    std::string text;
    int count;         // chords kept
    const char *error; // part of the message
};

void PrintTo(const BrokenFile &c, std::ostream *os) {
    *os << c.what;
}

class BrokenChordFile : public testing::TestWithParam<BrokenFile> {};

// A read failure names the file and the line, and leaves a table whose count covers exactly the
// chords read completely, so the usr list and the table agree.
TEST_P(BrokenChordFile, StopsAtTheFailingLineWithAConsistentTable) {
    const BrokenFile &c = GetParam();
    UserChordTable table = FiveChords();
    const FileResult result = ReadChordText(table, c.text, "/home/u/my.crd");
    EXPECT_FALSE(result);
    EXPECT_THAT(result.message, HasSubstr("\"/home/u/my.crd\""));
    EXPECT_THAT(result.message, HasSubstr(c.error));
    EXPECT_EQ(table.userChordCount, c.count);
    for (int k = c.count + 1; k < USER_CHORD_SLOTS; ++k)
        EXPECT_EQ(table.userChordName[k], "") << k;
    if (c.count >= 1) {
        EXPECT_EQ(table.userChordName[1], "\xE3\x82\xA2m7");
    }
    // The chord that was being read leaves its slot as it was.
    if (c.count < 2) {
        EXPECT_EQ(table.userChordFlet[2], (UserChordFrets{2, 2, 2, 2, 2, 2}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenChordFile,
    testing::Values(BrokenFile{"empty", "", 0, "line 1 is missing"},
                    BrokenFile{"count text", "two\r\n", 0, "line 1 \"two\" is not a whole number"},
                    BrokenFile{"negative count", "-1\r\n", 0, "line 1 counts -1 chords"},
                    BrokenFile{"second chord cut", twoChords.substr(0, twoChords.size() - 6), 1,
                               "line 16 is missing"},
                    BrokenFile{"key letter text", "1\r\nC\r\nA\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n",
                               0, "line 3 \"A\" is not a whole number"},
                    BrokenFile{"fret too big", twoChords.substr(0, 50) + "99999999999\r\n", 1,
                               "is not a whole number"}),
    [](const auto &info) {
        std::string name = info.param.what;
        for (char &c : name)
            if (c == ' ')
                c = '_';
        return name;
    });

TEST(ChordFile, AFileThatCannotBeOpenedIsReportedAndEmptiesTheTable) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "dir.crd");
    UserChordTable table = FiveChords();
    const FileResult result = LoadChordFile(table, folder / "dir.crd", folder / "dir.crd");
    EXPECT_FALSE(result);
    EXPECT_THAT(result.message, HasSubstr(QuotedName(folder / "dir.crd")));
    EXPECT_EQ(table.userChordCount, 0);
    EXPECT_EQ(table.userChordName[1], "");
}

TEST(ChordFile, AFailingSaveReportsTheFile) {
    TempFolder folder;
    const auto path = folder / "gone" / "x.crd";
    const FileResult result = SaveChordFile(FiveChords(), path);
    EXPECT_FALSE(result);
    EXPECT_THAT(result.message, HasSubstr(QuotedName(path)));
}

TEST(ChordFile, KeyLettersKeepTheirLowEightBitsAndFretsAreTakenAsTheyStand) {
    UserChordTable table;
    ASSERT_TRUE(ReadChordText(table, "1\r\nodd\r\n258\r\n-1\r\n256\r\n24\r\n25\r\n0\r\n255\r\n",
                              "odd.crd"));
    EXPECT_EQ(table.userChordKey[1], 2);
    EXPECT_EQ(table.userChordFlet[1], (UserChordFrets{-1, 256, 24, 25, 0, 255}));
    EXPECT_EQ(ChordFileText(table), "1\r\nodd\r\n2\r\n-1\r\n256\r\n24\r\n25\r\n0\r\n255\r\n");
}

TEST(UserChordDisplay, NameThenKeyLetterOrDash) {
    UserChordTable table;
    Put(table, 1, "Am7", 1, {});
    Put(table, 2, "open", 0, {});
    Put(table, 3, "", 26, {});
    EXPECT_EQ(UserChordText(table, 1), "Am7 : A");
    EXPECT_EQ(UserChordText(table, 2), "open : -");
    EXPECT_EQ(UserChordText(table, 3), " : Z");
}

class ApplyUserChordTest : public testing::Test {
protected:
    void SetUp() override {
        guitar.neckSpan = 5;
        guitar.neckPos = 9;
        Put(table, 1, "G", 7, {3, 0, 0, 0, 2, 3});
        Put(table, 2, "open", 0, {0, 0, 0, 0, 0, 0});
        Put(table, 3, "wrap", 0, {256, 259, 255, 0, 0, 0});
        table.userChordCount = 3;
    }
    UserChordTable table;
    Guitar guitar;
    int chord1 = 5;
    int chord2 = 7;
};

TEST_F(ApplyUserChordTest, SetsTheFretsResetsTheChordListsAndBringsTheChordIntoView) {
    ASSERT_TRUE(ApplyUserChord(table, 1, guitar, chord1, chord2));
    EXPECT_EQ(guitar.frets(), (Frets{3, 0, 0, 0, 2, 3}));
    EXPECT_EQ(chord1, 0);
    EXPECT_EQ(chord2, 0);
    EXPECT_EQ(guitar.neckPos, 2);
}

TEST_F(ApplyUserChordTest, SixOpenStringsLeaveTheNeckWhereItWas) {
    ASSERT_TRUE(ApplyUserChord(table, 2, guitar, chord1, chord2));
    EXPECT_EQ(guitar.frets(), (Frets{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(guitar.neckPos, 9);
}

TEST_F(ApplyUserChordTest, StoredFretsGiveTheirLowEightBits) {
    ASSERT_TRUE(ApplyUserChord(table, 3, guitar, chord1, chord2));
    EXPECT_EQ(guitar.frets(), (Frets{0, 3, 255, 0, 0, 0}));
    EXPECT_EQ(guitar.neckPos, 3) << "stored frets are not all 0, so the neck moves";
}

TEST_F(ApplyUserChordTest, TheHeaderItemOrNoSelectionChangesNothing) {
    guitar.setFrets({1, 1, 1, 1, 1, 1});
    for (int index : {0, -1, 33}) {
        EXPECT_FALSE(ApplyUserChord(table, index, guitar, chord1, chord2));
        EXPECT_EQ(guitar.frets(), (Frets{1, 1, 1, 1, 1, 1}));
        EXPECT_EQ(chord1, 5);
    }
}

TEST_F(ApplyUserChordTest, MatchingPicksTheLastSlotWithTheSameFretsWithinTheCount) {
    guitar.setFrets({0, 0, 0, 0, 0, 0});
    EXPECT_EQ(MatchUserChord(table, guitar), 2);
    Put(table, 4, "open too", 0, {0, 0, 0, 0, 0, 0});
    EXPECT_EQ(MatchUserChord(table, guitar), 2) << "slot 4 is above the count";
    table.userChordCount = 4;
    EXPECT_EQ(MatchUserChord(table, guitar), 4);
    guitar.setFrets({3, 0, 0, 0, 2, 255});
    EXPECT_EQ(MatchUserChord(table, guitar), 0);
    // A stored 256 is not the open string it plays as.
    guitar.setFrets({0, 3, 255, 0, 0, 0});
    EXPECT_EQ(MatchUserChord(table, guitar), 0);
}

TEST_F(ApplyUserChordTest, TypingAKeyLetterSelectsAndAppliesItsChordInEitherCase) {
    for (char32_t typed : {U'g', U'G'}) {
        int usr = 0;
        guitar.setFrets({9, 9, 9, 9, 9, 9});
        EXPECT_TRUE(UserChordKeyPress(table, typed, usr, guitar, chord1, chord2));
        EXPECT_EQ(usr, 1);
        EXPECT_EQ(guitar.frets(), (Frets{3, 0, 0, 0, 2, 3}));
    }
}

TEST_F(ApplyUserChordTest, AnyOtherCharacterAppliesTheSelectedChordAgain) {
    int usr = 1;
    guitar.setFrets({5, 5, 5, 5, 5, 5});
    EXPECT_TRUE(UserChordKeyPress(table, U'x', usr, guitar, chord1, chord2));
    EXPECT_EQ(usr, 1);
    EXPECT_EQ(guitar.frets(), (Frets{3, 0, 0, 0, 2, 3}));

    usr = 0;
    guitar.setFrets({5, 5, 5, 5, 5, 5});
    EXPECT_FALSE(UserChordKeyPress(table, U'x', usr, guitar, chord1, chord2));
    EXPECT_EQ(guitar.frets(), (Frets{5, 5, 5, 5, 5, 5}));
}

TEST_F(ApplyUserChordTest, KeyLettersAboveTheCountDeselectAndSlot32IsNeverSearched) {
    Put(table, 20, "", 2, {1, 1, 1, 1, 1, 1}); // a leftover holding "B"
    Put(table, 32, "", 3, {1, 1, 1, 1, 1, 1});
    int usr = 1;
    EXPECT_FALSE(UserChordKeyPress(table, U'b', usr, guitar, chord1, chord2));
    EXPECT_EQ(usr, -1);
    EXPECT_EQ(UserChordKeyLookup(table, U'c', 1), 1);
    // The first slot wins: slot 0 never holds a chord, and its key 0 stands for "@".
    EXPECT_EQ(UserChordKeyLookup(table, U'@', 1), 0);
    table.userChordKey[3] = 7;
    EXPECT_EQ(UserChordKeyLookup(table, U'G', 0), 1);
}

} // namespace
} // namespace cadenzo
