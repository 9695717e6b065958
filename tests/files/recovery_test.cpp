#include "files/recovery.h"

#include "files/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>

namespace cadenzo {
namespace {

using test::ReadBytes;

TEST(SongChangeBytes, SeeEverySavedPartButTheHandOnTheNeck) {
    auto song = std::make_unique<Song>();
    std::string tempo = "120";
    MidiSetup midi;
    Guitar guitar;
    const SongFileParts parts{*song, tempo, midi, guitar};
    const auto before = songChangeBytes(parts);
    guitar.setFrets({3, 3, 0, 0, 2, 3});
    EXPECT_EQ(songChangeBytes(parts), before);
    EXPECT_NE(encodeSongFile(parts), before); // the file has them
    const std::function<void()> edits[] = {[&] { guitar.tuning[5] = 2; }, [&] { tempo = "96"; },
                                           [&] { midi.midiProgram = 25; }};
    auto last = before;
    for (const auto& edit : edits) { // each changes what the one before left
        edit();
        EXPECT_NE(songChangeBytes(parts), last);
        last = songChangeBytes(parts);
    }
}

// A run's copy is offered only once the run is gone, to one start at a time, and goes when
// forgotten or discarded.
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
    ASSERT_TRUE(second.open());
    ASSERT_TRUE(third.open());
    const auto orphan = second.findOrphan();
    ASSERT_TRUE(orphan);
    EXPECT_EQ(orphan->songPath, "/songs/b.cz0");
    EXPECT_EQ(ReadBytes(orphan->songCopy), std::string("\x04\x05"));
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
    ASSERT_TRUE(second.flush());
    EXPECT_EQ(files(), 2);
}

TEST(RecoverySession, AFolderThatCannotBeMadeTurnsRecoveryOff) {
    test::TempFolder folder;
    test::WriteBytes(folder / "file", "x");
    RecoverySession session(folder / "file" / "cadenzo");
    EXPECT_FALSE(session.open());
    EXPECT_FALSE(session.active());
    session.keep({1}, "a"); // does nothing
    EXPECT_TRUE(session.flush());
    EXPECT_FALSE(session.findOrphan());
}

} // namespace
} // namespace cadenzo
