#include "files/note_values.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace cadenzo {
namespace {

// Up to four bars of 16/4; each piece is 1920 halved k times, dotted only where its dot is one too.
TEST(NoteValues, RandomDurationsSplitExactlyIntoStandardValues) {
    const char* names[] = {"whole", "half", "quarter", "eighth", "16th", "32nd", "64th"};
    std::mt19937 random(20261207);
    for (int round = 0; round < 5000; ++round) {
        const std::int64_t ticks = SHORTEST_NOTE_TICKS * (1 + random() % 4096);
        std::int64_t sum = 0;
        for (const NoteValue& v : splitIntoNoteValues(ticks)) {
            int k = 0;
            while (k < 7 && (1920 >> k) * (v.dotted ? 3 : 2) != v.ticks * 2)
                ++k;
            ASSERT_LT(k, 7) << v.ticks << " ticks is no standard value";
            EXPECT_EQ(std::string(v.type), names[k]);
            EXPECT_TRUE(!v.dotted || (1920 >> k) / 2 >= SHORTEST_NOTE_TICKS) << v.ticks;
            sum += v.ticks;
        }
        ASSERT_EQ(sum, ticks);
    }
    for (std::int64_t refused : {0, -30, 148, 45})
        EXPECT_TRUE(splitIntoNoteValues(refused).empty()) << refused;
}

} // namespace
} // namespace cadenzo
