#include "model/user_chord_editing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace cadenzo {
namespace {

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

} // namespace
} // namespace cadenzo
