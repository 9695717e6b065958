#include "model/user_chords.h"

#include "files/chord_file.h"
#include "files/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace cadenzo {
namespace {

using namespace test;
using testing::ElementsAre;
using testing::HasSubstr;
using F = UserChordFrets;

// Two chords written by hand from the file format: a UTF-8 name with the last key letter, and a
// name in an 8-bit code page (not valid UTF-8) without a key letter.
const std::string twoChords = "2\r\n"
                              "\xE3\x82\xA2m7\r\n26\r\n0\r\n3\r\n2\r\n0\r\n1\r\n255\r\n"
                              "\xC9t\xE9 x\r\n0\r\n3\r\n3\r\n0\r\n0\r\n2\r\n3\r\n";

// Five chords: chord k is named "ck", has key letter k and six frets k.
UserChordTable FiveChords() {
    UserChordTable table;
    for (int k = 1; k <= 5; ++k) {
        table.userChordName[k] = "c" + std::to_string(k);
        table.userChordKey[k] = static_cast<std::uint8_t>(k);
        table.userChordFlet[k].fill(k);
    }
    table.userChordCount = 5;
    return table;
}

TEST(ChordFile, AHandWrittenFileReadsAndWritesBackByteForByte) {
    TempFolder folder;
    WriteBytes(folder / "two.crd", twoChords);
    UserChordTable table = FiveChords();
    const FileResult result = LoadChordFile(table, folder / "two.crd", folder / "backup.crd");
    ASSERT_TRUE(result) << result.message;
    EXPECT_EQ(table.userChordCount, 2);
    EXPECT_EQ(table.userChordFlet[1], (F{0, 3, 2, 0, 1, 255}));
    EXPECT_THAT(UserChordItems(table),
                ElementsAre("\xE2\x86\x93UserChord", "\xE3\x82\xA2m7 : Z", "\xC9t\xE9 x : -"));
    // The leftovers above the count lose their names only, and are not written.
    EXPECT_EQ(table.userChordName[3], "");
    EXPECT_EQ(table.userChordKey[5], 5);
    EXPECT_EQ(table.userChordFlet[5], (F{5, 5, 5, 5, 5, 5}));
    ASSERT_TRUE(SaveChordFile(table, folder / "again.crd"));
    EXPECT_EQ(ReadBytes(folder / "again.crd"), twoChords);
    EXPECT_EQ(ReadBytes(folder / "backup.crd"), "0\r\n") << "a missing backup is created empty";

    // Bare line feeds and a last line without its end read the same.
    std::string loose;
    for (char c : twoChords.substr(0, twoChords.size() - 2))
        if (c != '\r')
            loose += c;
    UserChordTable again;
    ASSERT_TRUE(ReadChordText(again, loose, "loose.crd"));
    EXPECT_EQ(ChordFileText(again), twoChords);
    // Key letters keep their low eight bits; frets are taken as they stand.
    ASSERT_TRUE(
        ReadChordText(again, "1\r\nodd\r\n258\r\n-1\r\n256\r\n24\r\n25\r\n0\r\n255\r\n", "x"));
    EXPECT_EQ(ChordFileText(again), "1\r\nodd\r\n2\r\n-1\r\n256\r\n24\r\n25\r\n0\r\n255\r\n");
}

TEST(ChordFile, ACountAbove31KeepsTheFirst31ChordsAndNeverStoresPastTheTable) {
    std::string text = "40\r\n";
    for (int k = 1; k <= 40; ++k) {
        text += "n" + std::to_string(k) + "\r\n1\r\n";
        for (int s = 0; s < 6; ++s)
            text += std::to_string(k) + "\r\n";
    }
    UserChordTable table;
    table.userChordFlet[32].fill(9);
    const FileResult result = ReadChordText(table, text, "big.crd");
    EXPECT_TRUE(result);
    EXPECT_THAT(result.message, HasSubstr("40 chords"));
    EXPECT_EQ(table.userChordCount, 31);
    EXPECT_EQ(table.userChordName[31], "n31");
    EXPECT_EQ(table.userChordFlet[31][0], 31);
    EXPECT_EQ(table.userChordFlet[32], (F{9, 9, 9, 9, 9, 9}));
}

// The message names the file and the line; the count covers the chords read completely, so the
// usr list and the table agree, and the chord being read keeps its slot as it was.
TEST(ChordFile, ABrokenFileStopsAtTheFailingLineWithAConsistentTable) {
    const struct {
        std::string text;
        int count;         // chords kept
        const char* error; // part of the message
    } cases[] = {{"", 0, "line 1 is missing"},
                 {"two\r\n", 0, "line 1 \"two\" is not a whole number"},
                 {"-1\r\n", 0, "line 1 counts -1 chords"},
                 {twoChords.substr(0, twoChords.size() - 6), 1, "line 16 is missing"},
                 {"1\r\nC\r\nA\r\n", 0, "line 3 \"A\" is not"},
                 {twoChords.substr(0, 50) + "2147483648\r\n", 1, "line 14 \"2147483648\" is not"}};
    for (const auto& c : cases) {
        UserChordTable table = FiveChords();
        const FileResult result = ReadChordText(table, c.text, "/home/u/my.crd");
        EXPECT_FALSE(result);
        EXPECT_THAT(result.message, HasSubstr("\"/home/u/my.crd\": " + std::string(c.error)));
        EXPECT_EQ(table.userChordCount, c.count) << c.error;
        EXPECT_EQ(table.userChordName[c.count + 1], "") << c.error;
        EXPECT_EQ(table.userChordFlet[c.count + 1][0], c.count + 1) << c.error;
    }
}

// A name that does not exist empties the table and creates the file; one that cannot be opened
// is reported and empties the table too.
TEST(ChordFile, OpeningANewOrUnreadableNameEmptiesTheTable) {
    TempFolder folder;
    WriteBytes(folder / "backup.crd", twoChords);
    std::filesystem::create_directory(folder / "dir.crd");
    for (const char* name : {"new.crd", "dir.crd"}) {
        UserChordTable table = FiveChords();
        const FileResult result = LoadChordFile(table, folder / name, folder / "backup.crd");
        EXPECT_EQ(bool(result), name[0] == 'n') << result.message;
        EXPECT_EQ(table.userChordCount, 0);
        EXPECT_EQ(table.userChordName[1], "");
    }
    EXPECT_EQ(ReadBytes(folder / "new.crd"), "0\r\n");
    EXPECT_EQ(ReadBytes(folder / "backup.crd"), twoChords);
    UserChordTable table;
    EXPECT_THAT(LoadChordFile(table, folder / "dir.crd", folder / "dir.crd").message,
                HasSubstr(QuotedName(folder / "dir.crd")));
}

class UserChords : public testing::Test {
protected:
    void SetUp() override {
        guitar.neckSpan = 5;
        guitar.neckPos = 9;
        table.userChordFlet[1] = {3, 0, 0, 0, 2, 3};
        table.userChordKey[1] = 7; // "G"
        table.userChordFlet[3] = {256, 259, 255, 0, 0, 0};
        table.userChordCount = 3; // slot 2 holds six open strings
    }
    bool Apply(int k) { return ApplyUserChord(table, k, guitar, chord1, chord2); }
    UserChordTable table;
    Guitar guitar;
    int chord1 = 5;
    int chord2 = 7;
};

TEST_F(UserChords, ApplyingSetsTheLowBitsOfTheFretsAndMovesTheNeckUnlessAllAreOpen) {
    EXPECT_TRUE(Apply(2));
    EXPECT_EQ(guitar.frets(), (Frets{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(guitar.neckPos, 9);
    EXPECT_EQ(chord1, 0);
    EXPECT_EQ(chord2, 0);
    EXPECT_TRUE(Apply(3));
    EXPECT_EQ(guitar.frets(), (Frets{0, 3, 255, 0, 0, 0}));
    EXPECT_EQ(guitar.neckPos, 3) << "the stored frets are not all 0";
    for (int k : {0, -1, 33})
        EXPECT_FALSE(Apply(k));
    EXPECT_EQ(guitar.frets(), (Frets{0, 3, 255, 0, 0, 0}));
}

TEST_F(UserChords, MatchingPicksTheLastSlotWithinTheCountWithTheSameFrets) {
    EXPECT_EQ(MatchUserChord(table, guitar), 2);
    table.userChordFlet[4] = {};
    EXPECT_EQ(MatchUserChord(table, guitar), 2) << "slot 4 is above the count";
    table.userChordCount = 4;
    EXPECT_EQ(MatchUserChord(table, guitar), 4);
    guitar.setFrets({0, 3, 255, 0, 0, 0}); // plays as slot 3, whose stored frets differ
    EXPECT_EQ(MatchUserChord(table, guitar), 0);
}

TEST_F(UserChords, ATypedCharacterSelectsByKeyLetterThenReappliesTheSelectedChord) {
    for (char32_t typed : {U'g', U'G', U'x'}) {
        int usr = typed == U'x' ? 1 : 0;
        guitar.setFrets({9, 9, 9, 9, 9, 9});
        EXPECT_TRUE(UserChordKeyPress(table, typed, usr, guitar, chord1, chord2));
        EXPECT_EQ(usr, 1);
        EXPECT_EQ(guitar.frets(), (Frets{3, 0, 0, 0, 2, 3}));
    }
    int usr = 0;
    EXPECT_FALSE(UserChordKeyPress(table, U'x', usr, guitar, chord1, chord2));
    EXPECT_EQ(guitar.frets(), (Frets{3, 0, 0, 0, 2, 3}));
    // A leftover above the count deselects; slot 32 is never searched; the key 0 of slot 0
    // stands for "@".
    table.userChordKey[20] = 2;
    table.userChordKey[32] = 3;
    usr = 1;
    EXPECT_FALSE(UserChordKeyPress(table, U'b', usr, guitar, chord1, chord2));
    EXPECT_EQ(usr, -1);
    EXPECT_EQ(UserChordKeyLookup(table, U'c', 1), 1);
    EXPECT_EQ(UserChordKeyLookup(table, U'@', 1), 0);
}

} // namespace
} // namespace cadenzo
