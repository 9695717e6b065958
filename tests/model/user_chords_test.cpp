#include "model/user_chord_editing.h"
#include "model/user_chords.h"

#include "files/chord_file.h"
#include "files/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace cadenzo {
namespace {

using namespace test;
using testing::ElementsAre;
using testing::HasSubstr;

// By hand: a UTF-8 name with the last key letter, an 8-bit (not UTF-8) name without a key letter.
const std::string twoChords = "2\r\n"
                              "\xE3\x82\xA2m7\r\n26\r\n0\r\n3\r\n2\r\n0\r\n1\r\n255\r\n"
                              "\xC9t\xE9 x\r\n0\r\n3\r\n3\r\n0\r\n0\r\n2\r\n3\r\n";

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

class ChordFile : public ::testing::Test {
protected:
    TempFolder folder;
    ChordFile() { WriteBytes(folder / "two.crd", twoChords); }
};

TEST_F(ChordFile, AHandWrittenFileReadsAndWritesBackByteForByte) {
    UserChordTable table = FiveChords();
    const FileResult result = loadChordFile(table, folder / "two.crd", folder / "backup.crd");
    ASSERT_TRUE(result) << result.message;
    EXPECT_EQ(table.userChordFlet[1], (UserChordFrets{0, 3, 2, 0, 1, 255}));
    EXPECT_THAT(userChordItems(table),
                ElementsAre("\xE2\x86\x93UserChord", "\xE3\x82\xA2m7 : Z", "\xC9t\xE9 x : -"));
    // The leftovers above the count lose their names only, and are not written.
    EXPECT_EQ(std::tuple(table.userChordName[3], table.userChordKey[5], table.userChordFlet[5]),
              std::tuple("", 5, UserChordFrets{5, 5, 5, 5, 5, 5}));
    ASSERT_TRUE(saveChordFile(table, folder / "again.crd"));
    EXPECT_EQ(ReadBytes(folder / "again.crd"), twoChords);
    EXPECT_EQ(ReadBytes(folder / "backup.crd"), "0\r\n") << "a missing backup is created empty";

    // Bare line feeds and a last line without its end read the same.
    std::string loose = twoChords.substr(0, twoChords.size() - 2);
    std::erase(loose, '\r');
    UserChordTable again;
    ASSERT_TRUE(readChordText(again, loose, "loose.crd"));
    EXPECT_EQ(chordFileText(again), twoChords);
    // Key letters keep their low eight bits; frets are taken as they stand.
    ASSERT_TRUE(
        readChordText(again, "1\r\nodd\r\n258\r\n-1\r\n256\r\n24\r\n25\r\n0\r\n255\r\n", "x"));
    EXPECT_EQ(chordFileText(again), "1\r\nodd\r\n2\r\n-1\r\n256\r\n24\r\n25\r\n0\r\n255\r\n");
}

// The count covers whole chords only, so the usr list and the table agree.
TEST(ChordText, ABrokenFileStopsAtTheFailingLineWithAConsistentTable) {
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
        const FileResult result = readChordText(table, c.text, "/home/u/my.crd");
        EXPECT_FALSE(result);
        EXPECT_THAT(result.message, HasSubstr("\"/home/u/my.crd\": " + std::string(c.error)));
        EXPECT_EQ(table.userChordCount, c.count) << c.error;
        EXPECT_EQ(table.userChordName[c.count + 1], "") << c.error;
        EXPECT_EQ(table.userChordFlet[c.count + 1][0], c.count + 1) << c.error;
    }
}

// Here the backup's folder is missing; the failure is reported once.
TEST_F(ChordFile, ABackupThatCannotBeWrittenStillReadsTheChosenFile) {
    const auto backup = folder / "gone" / "backup.crd";
    for (const auto& path : {folder / "two.crd", backup}) {
        UserChordTable table;
        const FileResult result = loadChordFile(table, path, backup);
        EXPECT_FALSE(result);
        const std::string::size_type named = result.message.find(QuotedName(backup));
        ASSERT_NE(named, std::string::npos);
        EXPECT_EQ(result.message.find(QuotedName(backup), named + 1), std::string::npos);
        EXPECT_EQ(table.userChordCount, path == backup ? 0 : 2);
    }
}

// A failed open must not wipe the chords: they would be lost, and at close the backup with them.
TEST_F(ChordFile, AFileThatFailsToLoadLeavesTheTableAsItWas) {
    // Paths whose status cannot be read (also by root): a 300-byte folder name, a loop of links.
    std::filesystem::create_directory_symlink("loop", folder / "loop");
    std::vector paths{folder / std::string(300, 'd') / "my.crd", folder / "loop" / "my.crd"};
    for (const std::string& text : {std::string("Dear diary,\r\n"), twoChords.substr(0, 40)})
        WriteBytes(paths.emplace_back(folder / (std::to_string(paths.size()) + ".crd")), text);
    const UserChordTable before = FiveChords();
    for (const auto& path : paths) {
        UserChordTable table = before;
        const FileResult result = loadChordFile(table, path, folder / "backup.crd");
        EXPECT_FALSE(result);
        EXPECT_THAT(result.message, HasSubstr(QuotedName(path)));
        EXPECT_EQ(chordFileText(table), chordFileText(before)) << path;
        EXPECT_EQ(table.userChordName, before.userChordName) << path;
    }
}

// A backup.crd that fails to read at start is left as it is at close, until the table changes.
TEST_F(ChordFile, ABackupThatFailedToReadIsWrittenOnlyAfterAChange) {
    WriteBytes(folder / "backup.crd", twoChords.substr(0, 40));
    WriteBytes(folder / "empty.crd", "0\r\n");
    UserChordTable table;
    ChordBackup chordBackup;
    EXPECT_FALSE(chordBackup.loadAtStart(table, folder / "backup.crd"));
    EXPECT_FALSE(chordBackup.mayWrite(table));
    EXPECT_TRUE(chordBackup.mayWrite(FiveChords())); // as registering chords makes it
    ASSERT_TRUE(chordBackup.open(table, folder / "empty.crd", folder / "backup.crd"));
    EXPECT_TRUE(chordBackup.mayWrite(table)); // a file read on purpose, even an empty one
}

// The last of chords 1..count (at most 31) with the fretboard's frets matches; a typed character
// picks the first slot 0..31 with its letter in either case (none above the count).
TEST(UserChordRules, RandomTablesWithDuplicates) {
    std::mt19937 random(61);
    for (int round = 0; round < 2000; ++round) {
        UserChordTable table;
        for (std::size_t k = 0; k < USER_CHORD_SLOTS; ++k) {
            for (auto& f : table.userChordFlet[k])
                f = static_cast<std::int32_t>(random() % 2);
            table.userChordKey[k] = static_cast<std::uint8_t>(random() % 28);
            table.userChordName[k] = "c" + std::to_string(k);
        }
        table.userChordCount = static_cast<std::int32_t>(random() % (USER_CHORD_SLOTS + 2));
        const int count = std::min(table.userChordCount, USER_CHORD_CAPACITY);
        Guitar guitar;
        Frets frets;
        for (auto& f : frets)
            f = static_cast<std::uint8_t>(random() % 2);
        guitar.setFrets(frets);
        int want = 0;
        for (int k = 1; k <= count; ++k)
            if (std::ranges::equal(frets, table.userChordFlet[k]))
                want = k;
        ASSERT_EQ(matchUserChord(table, guitar), want) << "round " << round;

        const char32_t typed = U"@`aAzZ[{"[random() % 8];
        int picked = 5;
        for (int slot = USER_CHORD_SLOTS - 2; slot >= 0; --slot) {
            const char32_t letter = 64 + table.userChordKey[slot];
            if (typed == letter || (letter >= U'A' && letter <= U'Z' && typed == letter + 32))
                picked = slot <= table.userChordCount ? slot : -1;
        }
        ASSERT_EQ(userChordKeyLookup(table, typed, 5), picked) << "round " << round;

        Guitar applied;
        int chord1 = 3, chord2 = 4;
        const int item = 1 + static_cast<int>(random() % (USER_CHORD_SLOTS - 1));
        ASSERT_TRUE(applyUserChord(table, item, applied, chord1, chord2));
        EXPECT_TRUE(std::equal(applied.frets.begin(), applied.frets.end(),
                               table.userChordFlet[item].begin()));

        std::vector<std::pair<std::string, int>> standing;
        for (int k = 1; k <= count; ++k)
            standing.emplace_back(table.userChordName[k], table.userChordKey[k]);
        UserChordEditing editing(table);
        for (int n = 0; n < 3 && !standing.empty(); ++n) {
            const int j = static_cast<int>(random() % static_cast<unsigned>(editing.lineCount()));
            if (!editing.select(j) || editing.line(j).empty())
                continue;
            std::erase(standing, std::pair(table.userChordName[j + 1], editing.selectedKey()));
            ASSERT_TRUE(editing.Delete());
        }
        editing.apply();
        ASSERT_EQ(table.userChordCount, static_cast<std::int32_t>(standing.size()));
        for (std::size_t k = 0; k < standing.size(); ++k)
            ASSERT_EQ(std::pair(table.userChordName[k + 1], int{table.userChordKey[k + 1]}),
                      standing[k]);
    }
}

TEST(KeyLetterSkip, OnePassStepsOverTakenLettersInSlotOrderOnly) {
    struct Case {
        std::vector<std::pair<int, int>> taken; // slot, letter
        int position, direction, expected;
    };
    const Case cases[] = {
        {{{3, 1}}, 1, 1, 2},                   // "A" taken: on to "B"
        {{{2, 1}, {3, 2}}, 1, 1, 3},           // "A" then "B", in slot order: both skipped
        {{{2, 2}, {3, 1}}, 1, 1, 2},           // "B" was passed before "A" moved onto it
        {{{4, 26}}, 26, 1, 26},                // past "Z": stays at the end
        {{{4, 1}}, 1, -1, 0},                  // down onto none
        {{{1, 5}, {9, 4}, {30, 3}}, 5, -1, 2}, // a chain downward in slot order
    };
    for (const Case& c : cases) {
        KeyLetters keys{};
        for (auto [slot, letter] : c.taken)
            keys[static_cast<std::size_t>(slot)] = static_cast<std::uint8_t>(letter);
        EXPECT_EQ(skipKeyLetterOnce(keys, c.position, c.direction), c.expected)
            << "from " << c.position << " direction " << c.direction;
    }
}

// In the click's direction, or where the spinner stood when nothing is free up to "Z".
TEST(KeyLetterSkip, RepeatedPassesEndOnTheNearestFreeLetter) {
    std::mt19937 random(16);
    for (int round = 0; round < 3000; ++round) {
        KeyLetters keys{};
        const int density = 1 + static_cast<int>(random() % 33);
        for (std::size_t slot = 1; slot < keys.size(); ++slot)
            if (static_cast<int>(random() % 33) < density)
                keys[slot] = static_cast<std::uint8_t>(random() % 27);
        const int own = static_cast<int>(random() % 27);
        const int direction = random() % 2 == 0 ? 1 : -1;
        const int before = static_cast<int>(random() % 27);
        const int position = std::clamp(before + direction, 0, KEY_LETTER_MAX);
        const auto taken = [&](int letter) {
            return letter != 0 && letter != own &&
                   std::find(keys.begin(), keys.end(), letter) != keys.end();
        };
        const int got = skipKeyLetterRepeated(keys, own, position, direction, before);
        int nearest = -1;
        for (int p = position; p >= 0 && p <= KEY_LETTER_MAX && nearest < 0; p += direction)
            if (!taken(p))
                nearest = p;
        ASSERT_EQ(got, nearest < 0 ? before : nearest) << "round " << round;
    }
}

} // namespace
} // namespace cadenzo
