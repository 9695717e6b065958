#include "model/user_chord_editing.h"

#include <gtest/gtest.h>

#include <random>

namespace cadenzo {
namespace {

// A table of `count` chords named "n1", "n2", ... without key letters.
UserChordTable Table(int count) {
    UserChordTable table;
    for (int k = 1; k <= count; ++k)
        registerUserChord(table, "n" + std::to_string(k), 0,
                          {0, 0, 0, 0, 0, static_cast<std::uint8_t>(k)});
    return table;
}

TEST(registerRefusal, ALaterCheckReplacesAnEarlierOne) {
    struct Case {
        int count;
        int slot; // a slot given the name "Am" (0: none); above count it is a removed chord's
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {31, 0, "New", TOO_MANY_CHORDS_TEXT}, {31, 0, "", EMPTY_NAME_TEXT},
        {31, 5, "Am", SAME_NAME_TEXT},        {2, 2, "am", nullptr},
        {2, 7, "Am", SAME_NAME_TEXT},         {2, 32, "Am", SAME_NAME_TEXT},
        {0, 0, "", EMPTY_NAME_TEXT},          {30, 0, "n30x", nullptr},
    };
    for (const Case& c : cases) {
        UserChordTable table = Table(c.count);
        if (c.slot > 0)
            table.userChordName[static_cast<std::size_t>(c.slot)] = "Am";
        const char* got = registerRefusal(table, c.name);
        EXPECT_STREQ(got, c.expected) << c.count << " chords, name \"" << c.name << '"';
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

// Random working key lists: the repeated skip always ends on the nearest free letter in the
// click's direction, or where the spinner stood when nothing is free up to "Z".
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

// The edit dialog's widget tests cover renaming, deleting and OK; here the refusals of Accept,
// which look at every slot but the line's own.
TEST(UserChordEditing, AcceptRefusesNamesOfOtherSlotsOnly) {
    UserChordTable table = Table(3);
    table.userChordName[9] = "gone"; // a removed chord's leftover
    UserChordEditing editing(table);
    bool stored = true;
    EXPECT_EQ(editing.Accept("x", 0, stored), nullptr); // no line selected
    EXPECT_FALSE(stored);
    ASSERT_TRUE(editing.select(1));
    EXPECT_STREQ(editing.Accept("n1", 0, stored), SAME_NAME_TEXT);
    EXPECT_STREQ(editing.Accept("gone", 0, stored), SAME_NAME_TEXT);
    EXPECT_STREQ(editing.Accept("", 0, stored), EMPTY_NAME_TEXT);
    EXPECT_EQ(editing.Accept("n2", 3, stored), nullptr); // its own name
    EXPECT_TRUE(stored);
    EXPECT_EQ(editing.line(1), "n2 : C");
}

} // namespace
} // namespace cadenzo
