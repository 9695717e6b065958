#include "model/user_chord_editing.h"

#include <gtest/gtest.h>

#include <string>

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
