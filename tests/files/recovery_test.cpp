#include "files/recovery.h"
#include "files/temp_folder.h"

#include <gtest/gtest.h>

namespace cadenzo {
namespace {

using test::ReadBytes;

TEST(SongChange, TheHeldFretsAreNoChangeButTheTuningIs) {
    Song song;
    std::string tempo = "120";
    MidiSetup midi;
    Guitar a, b, c;
    for (Guitar* g : {&a, &b, &c})
        g->setTuning(standardTuning);
    b.setFrets({3, 2, 0, 0, 3, 3}), c.setTuning({28, 23, 19, 14, 9, 2});
    EXPECT_EQ(songChangeBytes({song, tempo, midi, a}), songChangeBytes({song, tempo, midi, b}));
    EXPECT_NE(songChangeBytes({song, tempo, midi, a}), songChangeBytes({song, tempo, midi, c}));
}

TEST(RecoverySession, OffersTheCopyOfARunThatIsGoneToOneStartAtATime) {
    test::TempFolder folder;
    const auto state = folder / "state" / "cadenzo";
    const auto files = [&] {
        return std::distance(std::filesystem::directory_iterator(state), {});
    };
    {
        RecoverySession first(state);
        ASSERT_TRUE(first.open());
        first.keep({1, 2, 3}, "/songs/a.cz0");
        first.keep({4, 5}, "/songs/b.cz0"); // the newer bytes win
        ASSERT_TRUE(first.flush());
        RecoverySession other(state);
        ASSERT_TRUE(other.open());
        EXPECT_FALSE(other.findOrphan()) << "the first run still holds its copy";
    } // ended without forgetting its copy, as an end by signal does
    RecoverySession second(state), third(state);
    ASSERT_TRUE(second.open() && third.open());
    const auto orphan = second.findOrphan();
    ASSERT_TRUE(orphan);
    EXPECT_EQ(orphan->songPath + ReadBytes(orphan->songCopy), "/songs/b.cz0\x04\x05");
    EXPECT_FALSE(third.findOrphan()) << "claimed by the second start";
    second.releaseOrphan(*orphan);
    const auto again = third.findOrphan();
    ASSERT_TRUE(again);
    third.discardOrphan(*again);
    EXPECT_FALSE(std::filesystem::exists(again->songCopy));

    second.keep({7}, "");
    ASSERT_TRUE(second.flush());
    EXPECT_EQ(files(), 4); // the second's lock, copy and name, the third's lock
    second.forget();
    EXPECT_TRUE(second.flush() && files() == 2);

    // A folder that cannot be made turns recovery off: nothing is queued or found.
    test::WriteBytes(folder / "file", "x");
    RecoverySession off(folder / "file" / "cadenzo");
    EXPECT_FALSE(off.open() || off.active());
    off.keep({1}, "a");
    EXPECT_TRUE(off.flush() && !off.findOrphan());
}

} // namespace
} // namespace cadenzo
