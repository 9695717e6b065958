#include "files/song_file.h"
#include "files/temp_folder.h"
#include "support/song_events.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cadenzo {
namespace {

using namespace test;
using namespace std::string_literals;

// A new song byte by byte: tempo 120, channel 1, program 24, velocity 100, standard; 70 bytes.
const std::string emptySong = "CZ0200\0\0\0\0"
                              "\xFENAMsample"
                              "\xFETMP120\0"
                              "\xFEPRG\0\x18\x18\x64"
                              "\xFENOT"
                              "\xFEMET\4\4\0\0\0\0"
                              "\376FLT\x1C\0\x17\0\x13\0\x0E\0\x09\0\x04\0"
                              "\376END"s;

// Two events (tick 0: 0 0 0 0 2 x, velocity 100, gate 480, up, stroke 60, root G; tick 7680:
// 3 3 4 5 5 3, velocity 127, gate 1440, down, C m7), 3/4 from bar 5, open-G tuning with the
// guitar's frets, channel 3, program 40, velocity 90, tempo 96.
const std::string knownSong =
    "CZ0200\x02\0\0\0"
    "\xFENAMsample"
    "\xFETMP96\0\0"
    "\xFEPRG\x02\x28\x28\x5A"
    "\xFENOT"
    "\0\0\0\0\0\0\0\0\x02\xFF\x64\0\xE0\x01\0\0\x01\0\0\0\x3C\0\0\0\x08\0\0\0"
    "\0\x1E\0\0\x03\x03\x04\x05\x05\x03\x7F\0\xA0\x05\0\0\0\0\0\0\0\0\0\0"
    "\x01\x05\0\0"
    "\xFEMET\4\4\0\0\0\0\3\4\5\0\0\0"
    "\376FLT\x1A\0\x17\0\x13\0\x0E\0\x07\x02\x02\xFF"
    "\376END"s;

struct Fixture {
    Song song;
    std::string tempo = "120";
    MidiSetup midi;
    Guitar guitar;
    SongFileParts parts{song, tempo, midi, guitar};
    Fixture() { guitar.setTuning(standardTuning); }
};

void ExpectListInvariants(const Song& song) {
    ASSERT_LE(song.eventCount, static_cast<std::uint32_t>(MAX_EVENTS));
    for (int i = 0; i < EVENT_SLOTS; ++i)
        ASSERT_EQ(song.songEvents[i].isEnd(), i >= static_cast<int>(song.eventCount)) << i;
    for (std::uint32_t k = 1, end = 0; k < METER_ENTRIES; ++k) {
        end += static_cast<std::uint32_t>(barTicks(song.meterTable[k].num, song.meterTable[k].den));
        ASSERT_EQ(song.meterTable[k].endTick, end) << "bar " << k;
    }
}

TEST(SongFile, EmptySongIsTheSeventyKnownBytesAndReadsBack) {
    TempFolder folder;
    Fixture f, g;
    const FileResult saved = saveSong(folder / "empty.cz0", f.parts);
    EXPECT_EQ(std::pair(saved.ok(), saved.message), std::pair(true, std::string("Saved.")));
    EXPECT_EQ(ReadBytes(folder / "empty.cz0"), emptySong);

    g.tempo = "999", g.midi.midiProgram = 1, g.song.insertEvent(SongEvent{.tick = 0});
    const FileResult loaded = loadSong(folder / "empty.cz0", g.parts);
    EXPECT_EQ(std::pair(loaded.ok(), loaded.message), std::pair(true, std::string("Loaded.")));
    EXPECT_EQ(std::tuple(g.song.eventCount, g.tempo, int(g.midi.midiProgram), g.guitar.tunings()),
              std::tuple(0u, std::string("120"), 24, standardTuning));
    ExpectListInvariants(g.song);
}

TEST(SongFile, KnownSongReadsAndWritesIdentically) {
    TempFolder folder;
    WriteBytes(folder / "known.cz0", knownSong);
    Fixture f;
    const FileResult loaded = loadSong(folder / "known.cz0", f.parts);
    ASSERT_TRUE(loaded.ok() && f.song.eventCount == 2u) << loaded.message;
    SongEvent a = MakeEvent(0, {0, 0, 0, 0, 2, SILENT}, 100, 480, 60, 1),
              b = MakeEvent(7680, {3, 3, 4, 5, 5, 3}, 127, 1440, 0, 0);
    a.root = 8, b.root = 1, b.chordType = 5;
    EXPECT_EQ(std::vector(f.song.songEvents.begin(), f.song.songEvents.begin() + 2),
              (std::vector{a, b}));
    EXPECT_EQ(std::tuple(f.tempo, f.midi.midiChannel, f.midi.midiProgram, f.midi.midiVelocity,
                         f.guitar.tunings(), f.guitar.currentFrets()),
              std::tuple("96", 2, 40, 90, Frets{26, 23, 19, 14, 7, 2}, Frets{0, 0, 0, 0, 2, 255}));
    for (int bar = 1; bar <= 100; ++bar)
        EXPECT_EQ(f.song.barLength(bar), bar < 5 ? 1920 : 1440) << bar;
    EXPECT_EQ((std::pair<int, int>(f.song.meterTable[5].changed, f.song.meterTable[6].changed)),
              std::pair(1, 0));
    ExpectListInvariants(f.song);

    ASSERT_TRUE(saveSong(folder / "again.cz0", f.parts).ok());
    EXPECT_EQ(ReadBytes(folder / "again.cz0"), knownSong);
}

TEST(SongFile, FullSongWithASignatureInTheLastBarReadsBack) {
    Fixture f, g;
    for (int i = 0; i < MAX_EVENTS; ++i)
        f.song.insertEvent(MakeEvent(i * 80, {0, 1, 0, 2, 3, SILENT}, i % 128, 40));
    f.song.setMeter(BAR_COUNT, 6, 8);
    ASSERT_EQ(decodeSongFile(encodeSongFile(f.parts), g.parts), "");
    EXPECT_TRUE(g.song.eventCount == MAX_EVENTS && g.song.songEvents == f.song.songEvents);
    EXPECT_EQ(std::tuple(g.song.barLength(BAR_COUNT), g.song.meterTable[BAR_COUNT].changed),
              std::tuple(1440, 1));
}

TEST(SongFile, WrongMagicClearsTheSongAndRefusesTheType) {
    TempFolder folder;
    WriteBytes(folder / "lower.cz0", "c" + knownSong.substr(1));
    Fixture f;
    f.song.insertEvent(SongEvent{.tick = 480});
    bool reset = false;
    const FileResult r =
        loadSong(folder / "lower.cz0", f.parts, [&] { reset = true, f.song.resetSong(); });
    EXPECT_EQ(std::tuple(reset, r.failure, r.message, f.song.eventCount),
              std::tuple(true, FileFailure::WrongType, "out of support this file type", 0u));
}

// The message names the file and the problem; the list keeps its invariants.
TEST(SongFile, DamagedFilesStopWithAClearMessage) {
    auto with = [](std::string b, int at, std::string s) { return b.replace(at, s.size(), s); };
    const struct {
        std::string bytes;
        const char* problem;
        std::uint32_t eventsKept;
    } cases[] = {
        // clang-format off
        {with(knownSong, 6, "\xD1\x07"),
         "the header counts 2001 events; a song holds at most 2000", 0},
        {with(knownSong, 6, "\xFF\xFF\xFF\xFF"), "the header counts 4294967295 events", 0},
        // One more than present: the MET and FLT bytes are taken for a record.
        {with(knownSong, 6, "\x03"), "event count 3 does not match the records", 3},
        {with(knownSong, 6, "\x04"), "the header counts 4 events but the NOT chunk holds 3", 3},
        {with(knownSong, 6, "\x01"), "event count 1 does not match the records", 1},
        {"CZ0200\0\0\0\0\xFENAM"s + std::string(255, 'n') + "\376END",
         "the song name is longer than 254 bytes", 0},
        {with(emptySong, 21, "X"), "unknown chunk \"XMP\"", 0},
        {with(emptySong, 21, "\x01"), "unknown chunk \"\\x01MP\"", 0},
        {knownSong.substr(0, knownSong.size() - 3), "the file ends before its END chunk", 2},
        {knownSong.substr(0, knownSong.size() - 10), "the file ends inside the FLT chunk", 2},
        {emptySong.substr(0, 8), "the file ends inside its header", 0},
        {"CZ0200\1\0\0\0\xFE" "END"s, "the header counts 1 events but the file holds 0", 0},
    }; // clang-format on
    TempFolder folder;
    for (const auto& c : cases) {
        WriteBytes(folder / "bad.cz0", c.bytes);
        Fixture f;
        const FileResult r = loadSong(folder / "bad.cz0", f.parts);
        EXPECT_TRUE(!r.ok() && r.message.find((folder / "bad.cz0").string()) != std::string::npos &&
                    r.message.find(c.problem) != std::string::npos)
            << r.message;
        EXPECT_EQ(f.song.eventCount, c.eventsKept) << c.problem;
        ExpectListInvariants(f.song);
    }
    for (std::size_t n = 6; n < knownSong.size(); ++n) {
        Fixture f;
        const std::vector<std::uint8_t> cut(knownSong.begin(), knownSong.begin() + n);
        EXPECT_NE(decodeSongFile(cut, f.parts), "") << n;
        ExpectListInvariants(f.song);
    }
}

TEST(SongFile, SavingAListWithDeletedSlotsCountsOnlyTheRecordsWritten) {
    Fixture f, g;
    for (std::uint32_t t : {0u, 480u, 960u})
        f.song.insertEvent(SongEvent{.tick = t});
    f.song.clearRange(480, 480); // not yet sorted: slot 1 is a hole
    const std::vector<std::uint8_t> bytes = encodeSongFile(f.parts);
    EXPECT_EQ(bytes[6], 1); // the count
    EXPECT_EQ(std::tuple(decodeSongFile(bytes, g.parts), g.song.eventCount), std::tuple("", 1u));
}

} // namespace
} // namespace cadenzo
