#include "files/song_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace cadenzo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Byte-by-byte builders that follow the file layout, independent of the code under test.
void Append(Bytes& b, const char* text) {
    while (*text)
        b.push_back(static_cast<std::uint8_t>(*text++));
}
void Append(Bytes& b, std::initializer_list<int> values) {
    for (int v : values)
        b.push_back(static_cast<std::uint8_t>(v));
}
void AppendU32(Bytes& b, std::uint32_t v) {
    Append(b, {int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)});
}
void Chunk(Bytes& b, const char* tag) {
    b.push_back(0xFE);
    Append(b, tag);
}

// The 70 bytes of a new song at tempo 120, channel 1, program 24, velocity 100, standard tuning.
Bytes EmptySongBytes() {
    Bytes b;
    Append(b, "CZ0200");
    AppendU32(b, 0);
    Chunk(b, "NAM");
    Append(b, "sample");
    Chunk(b, "TMP");
    Append(b, {'1', '2', '0', 0});
    Chunk(b, "PRG");
    Append(b, {0, 24, 24, 100});
    Chunk(b, "NOT");
    Chunk(b, "MET");
    Append(b, {4, 4, 0, 0, 0, 0});
    Chunk(b, "FLT");
    Append(b, {28, 0, 23, 0, 19, 0, 14, 0, 9, 0, 4, 0});
    Chunk(b, "END");
    return b;
}

// Two events, 3/4 from bar 5, open-G tuning, channel 3, program 40, velocity 90, tempo 96.
Bytes KnownSongBytes() {
    Bytes b;
    Append(b, "CZ0200");
    AppendU32(b, 2);
    Chunk(b, "NAM");
    Append(b, "sample");
    Chunk(b, "TMP");
    Append(b, {'9', '6', 0, 0});
    Chunk(b, "PRG");
    Append(b, {2, 40, 40, 90});
    Chunk(b, "NOT");
    // tick 0, frets 0 0 0 0 2 255, velocity 100, gate 480, up, stroke 60, root G (8), type 0
    AppendU32(b, 0);
    Append(b, {0, 0, 0, 0, 2, 255, 100, 0});
    AppendU32(b, 480);
    Append(b, {1, 0, 0, 0});
    AppendU32(b, 60);
    Append(b, {8, 0, 0, 0});
    // tick 7680 (bar 5), frets 3 3 4 5 5 3, velocity 127, gate 1440, down, stroke 0, C m7
    AppendU32(b, 7680);
    Append(b, {3, 3, 4, 5, 5, 3, 127, 0});
    AppendU32(b, 1440);
    Append(b, {0, 0, 0, 0});
    AppendU32(b, 0);
    Append(b, {1, 5, 0, 0});
    Chunk(b, "MET");
    Append(b, {4, 4, 0, 0, 0, 0});
    Append(b, {3, 4, 5, 0, 0, 0});
    Chunk(b, "FLT");
    Append(b, {26, 0, 23, 0, 19, 0, 14, 0, 7, 2, 2, 255});
    Chunk(b, "END");
    return b;
}

struct Fixture {
    Song song;
    std::string tempo = "120";
    MidiSetup midi;
    Guitar guitar;
    SongFileParts parts{song, tempo, midi, guitar};
    Fixture() { guitar.setTuning(standardTuning); }
};

class SongFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("cadenzo-song-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path Write(const std::string& name, const Bytes& bytes) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return p;
    }
    static Bytes Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path dir_;
};

void ExpectListInvariants(const Song& song) {
    ASSERT_LE(song.eventCount, static_cast<std::uint32_t>(MAX_EVENTS));
    for (int i = 0; i < EVENT_SLOTS; ++i)
        ASSERT_EQ(song.songEvents[i].isEnd(), i >= static_cast<int>(song.eventCount)) << i;
    std::uint32_t end = 0;
    for (int k = 1; k < METER_ENTRIES; ++k) {
        end += static_cast<std::uint32_t>(BarTicks(song.meterTable[k].num, song.meterTable[k].den));
        ASSERT_EQ(song.meterTable[k].endTick, end) << "bar " << k;
    }
}

TEST_F(SongFileTest, EmptySongIsTheSeventyKnownBytesAndReadsBack) {
    Fixture f;
    const fs::path p = dir_ / "empty.cz0";
    const SongFileResult saved = SaveSong(p, f.parts);
    EXPECT_TRUE(saved.ok) << saved.error;
    EXPECT_EQ(saved.status, "Saved.");
    EXPECT_EQ(f.song.songName, "sample");
    EXPECT_EQ(Read(p), EmptySongBytes());
    EXPECT_EQ(Read(p).size(), 70u);

    Fixture g;
    g.tempo = "999";
    g.midi.midiProgram = 1;
    g.song.PutEvent(SongEvent{.tick = 0});
    const SongFileResult loaded = LoadSong(p, g.parts);
    EXPECT_TRUE(loaded.ok) << loaded.error;
    EXPECT_EQ(loaded.status, "Loaded.");
    EXPECT_EQ(g.song.eventCount, 0u);
    EXPECT_EQ(g.tempo, "120");
    EXPECT_EQ(g.midi.midiProgram, 24);
    EXPECT_EQ(g.guitar.tunings(), standardTuning);
    ExpectListInvariants(g.song);
}

TEST_F(SongFileTest, KnownSongReadsAndWritesIdentically) {
    const fs::path p = Write("known.cz0", KnownSongBytes());
    Fixture f;
    const SongFileResult loaded = LoadSong(p, f.parts);
    ASSERT_TRUE(loaded.ok) << loaded.error;
    ASSERT_EQ(f.song.eventCount, 2u);
    const SongEvent& a = f.song.songEvents[0];
    EXPECT_EQ(a.tick, 0u);
    EXPECT_EQ(a.frets, (Frets{0, 0, 0, 0, 2, SILENT}));
    EXPECT_EQ(a.gate, 480);
    EXPECT_EQ(a.strokeDir, 1);
    EXPECT_EQ(a.strokeTime, 60);
    EXPECT_EQ(a.root, 8);
    const SongEvent& b = f.song.songEvents[1];
    EXPECT_EQ(b.tick, 7680u);
    EXPECT_EQ(b.velocity, 127);
    EXPECT_EQ(b.chordType, 5);
    EXPECT_EQ(f.tempo, "96");
    EXPECT_EQ(f.midi.midiChannel, 2);
    EXPECT_EQ(f.midi.midiProgram, 40);
    EXPECT_EQ(f.midi.midiVelocity, 90);
    EXPECT_EQ(f.guitar.tunings(), (Frets{26, 23, 19, 14, 7, 2}));
    EXPECT_EQ(f.guitar.frets(), (Frets{0, 0, 0, 0, 2, 255}));
    for (int bar = 1; bar <= 4; ++bar)
        EXPECT_EQ(f.song.BarLength(bar), 1920) << bar;
    for (int bar = 5; bar <= 100; ++bar)
        EXPECT_EQ(f.song.BarLength(bar), 1440) << bar;
    EXPECT_EQ(f.song.meterTable[5].changed, 1);
    EXPECT_EQ(f.song.meterTable[6].changed, 0);
    ExpectListInvariants(f.song);

    const fs::path again = dir_ / "again.cz0";
    ASSERT_TRUE(SaveSong(again, f.parts).ok);
    EXPECT_EQ(Read(again), KnownSongBytes());
}

TEST_F(SongFileTest, TempoIsPaddedToFourBytes) {
    Fixture f;
    f.tempo = "30";
    const Bytes bytes = EncodeSongFile(f.parts);
    const Bytes tmp(bytes.begin() + 24, bytes.begin() + 28);
    EXPECT_EQ(tmp, (Bytes{'3', '0', 0, 0}));
}

TEST_F(SongFileTest, SecondProgramByteWinsAndTheNameIsReadButSavedAsSample) {
    Bytes b = EmptySongBytes();
    b[19] = 'x'; // name "samplx"
    b[33] = 10;  // PRG: channel 0, program 10, program 24
    const fs::path p = Write("prg.cz0", b);
    Fixture f;
    ASSERT_TRUE(LoadSong(p, f.parts).ok);
    EXPECT_EQ(f.midi.midiProgram, 24);
    EXPECT_EQ(f.song.songName, "samplx");
    EncodeSongFile(f.parts);
    EXPECT_EQ(f.song.songName, "sample");
}

TEST_F(SongFileTest, WrongMagicClearsTheSongAndRefusesTheType) {
    Bytes b = KnownSongBytes();
    b[0] = 'c';
    const fs::path p = Write("lower.cz0", b);
    Fixture f;
    f.song.PutEvent(SongEvent{.tick = 480});
    bool reset = false;
    const SongFileResult r = LoadSong(p, f.parts, [&] {
        reset = true;
        f.song.NewSong();
    });
    EXPECT_TRUE(reset);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.wrongType);
    EXPECT_EQ(r.error, "out of support this file type");
    EXPECT_EQ(r.status, "");
    EXPECT_EQ(f.song.eventCount, 0u);
}

TEST_F(SongFileTest, NoChunkMarkAfterTheCountEndsTheReadingSilently) {
    Bytes b = KnownSongBytes();
    b[10] = 0x00;
    const fs::path p = Write("nomark.cz0", b);
    Fixture f;
    const SongFileResult r = LoadSong(p, f.parts);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.status, "Loaded.");
    EXPECT_EQ(f.song.eventCount, 0u) << "no record was read, so none is counted";
    ExpectListInvariants(f.song);
}

// Damaged files: each stops the load with a message naming the file and the problem, and the
// list keeps its invariants.
TEST_F(SongFileTest, DamagedFilesStopWithAClearMessage) {
    struct Case {
        const char* name;
        Bytes bytes;
        const char* problem;
        std::uint32_t eventsKept;
    };
    std::vector<Case> cases;
    {
        Bytes b = KnownSongBytes();
        b[6] = 0xD1, b[7] = 0x07; // 2001
        cases.push_back(
            {"count2001", b, "the header counts 2001 events; a song holds at most 2000", 0});
        b[6] = 0xFF, b[7] = 0xFF, b[8] = 0xFF, b[9] = 0xFF;
        cases.push_back({"countmax", b, "the header counts 4294967295 events", 0});
    }
    {
        Bytes b = KnownSongBytes();
        b[6] = 3; // one more than present: the MET and FLT bytes are taken for a record
        cases.push_back({"count3", b, "event count 3 does not match the records", 3});
        b[6] = 4; // two more: the file ends inside the second
        cases.push_back({"count4", b, "the header counts 4 events but the NOT chunk holds 3", 3});
        b[6] = 1;
        cases.push_back({"count1", b, "event count 1 does not match the records", 1});
    }
    {
        Bytes b;
        Append(b, "CZ0200");
        AppendU32(b, 0);
        Chunk(b, "NAM");
        for (int i = 0; i < 255; ++i)
            b.push_back('n');
        Chunk(b, "END");
        cases.push_back({"longname", b, "the song name is longer than 254 bytes", 0});
    }
    {
        Bytes b = EmptySongBytes();
        b[21] = 'X'; // "TMP" -> "XMP"
        cases.push_back({"unknowntag", b, "unknown chunk \"XMP\"", 0});
        b[21] = 0x01;
        cases.push_back({"binarytag", b, "unknown chunk \"\\x01MP\"", 0});
    }
    {
        Bytes b = KnownSongBytes();
        b.resize(b.size() - 3);
        cases.push_back({"noend", b, "the file ends before its END chunk", 2});
        b = KnownSongBytes();
        b.resize(b.size() - 10);
        cases.push_back({"inflt", b, "the file ends inside the FLT chunk", 2});
        b = EmptySongBytes();
        b.resize(8);
        cases.push_back({"inheader", b, "the file ends inside its header", 0});
    }
    {
        Bytes b;
        Append(b, "CZ0200");
        AppendU32(b, 1);
        Chunk(b, "END");
        cases.push_back({"nonot", b, "the header counts 1 events but the file holds 0", 0});
    }
    for (const Case& c : cases) {
        const fs::path p = Write(std::string(c.name) + ".cz0", c.bytes);
        Fixture f;
        const SongFileResult r = LoadSong(p, f.parts);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_EQ(r.status, "") << c.name;
        EXPECT_NE(r.error.find(p.string()), std::string::npos) << c.name << ": " << r.error;
        EXPECT_NE(r.error.find(c.problem), std::string::npos) << c.name << ": " << r.error;
        EXPECT_EQ(f.song.eventCount, c.eventsKept) << c.name;
        ExpectListInvariants(f.song);
    }
}

TEST_F(SongFileTest, EveryTruncationOfAGoodFileFailsCleanly) {
    const Bytes good = KnownSongBytes();
    for (std::size_t n = 6; n < good.size(); ++n) {
        Fixture f;
        const std::string problem =
            DecodeSongFile(std::span<const std::uint8_t>(good.data(), n), f.parts);
        EXPECT_FALSE(problem.empty()) << "prefix of " << n << " bytes";
        ExpectListInvariants(f.song);
    }
}

TEST_F(SongFileTest, MeterRecordsOutsideTheTableOrWithBadSignaturesAreSkipped) {
    Bytes b;
    Append(b, "CZ0200");
    AppendU32(b, 0);
    Chunk(b, "MET");
    Append(b, {4, 4, 0, 0, 0, 0});
    Append(b, {3, 4, 101, 0, 0, 0}); // bar 101 does not exist
    Append(b, {2, 0, 3, 0, 0, 0});   // a zero denominator
    Append(b, {5, 3, 3, 0, 0, 0});   // not a beat unit
    Append(b, {0, 4, 3, 0, 0, 0});   // no beats
    Append(b, {6, 8, 2, 0, 0, 0});
    Append(b, {6, 8, 4, 0, 0, 0}); // same as the last record: not marked
    Chunk(b, "END");
    Fixture f;
    EXPECT_EQ(DecodeSongFile(b, f.parts), "");
    EXPECT_EQ(f.song.meterTable[1].num, 4);
    EXPECT_EQ(f.song.meterTable[2].num, 6);
    EXPECT_EQ(f.song.meterTable[100].den, 8);
    EXPECT_EQ(f.song.meterTable[2].changed, 1);
    EXPECT_EQ(f.song.meterTable[3].changed, 0);
    EXPECT_EQ(f.song.meterTable[4].changed, 0);
    EXPECT_EQ(f.song.BarLength(2), 1440);
    ExpectListInvariants(f.song);
}

TEST_F(SongFileTest, RecordsWithTheEndMarkersTickAreLeftOut) {
    Bytes b;
    Append(b, "CZ0200");
    AppendU32(b, 2);
    Chunk(b, "NOT");
    for (std::uint32_t tick : {0xFFFFFFFFu, 960u}) {
        AppendU32(b, tick);
        for (int i = 0; i < 24; ++i)
            b.push_back(0);
    }
    Chunk(b, "END");
    Fixture f;
    EXPECT_EQ(DecodeSongFile(b, f.parts), "");
    EXPECT_EQ(f.song.eventCount, 1u);
    EXPECT_EQ(f.song.songEvents[0].tick, 960u);
    ExpectListInvariants(f.song);
}

TEST_F(SongFileTest, SavingAListWithDeletedSlotsCountsOnlyTheRecordsWritten) {
    Fixture f;
    for (std::uint32_t t : {0u, 480u, 960u})
        f.song.PutEvent(SongEvent{.tick = t});
    f.song.ClearRange(480, 480); // not yet sorted: slot 1 is a hole
    const Bytes bytes = EncodeSongFile(f.parts);
    EXPECT_EQ(bytes[6], 1);
    Fixture g;
    EXPECT_EQ(DecodeSongFile(bytes, g.parts), "");
    EXPECT_EQ(g.song.eventCount, 1u);
}

TEST_F(SongFileTest, FailedSavesReportAndLeaveTheOldFileAsItWas) {
    Fixture f;
    fs::create_directory(dir_ / "folder.cz0");
    SongFileResult r = SaveSong(dir_ / "folder.cz0", f.parts);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, "");
    EXPECT_NE(r.error.find("folder.cz0"), std::string::npos) << r.error;

    r = SaveSong(dir_ / "missing" / "song.cz0", f.parts);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("missing"), std::string::npos) << r.error;

    // A full disk: the file size limit stops the write of the larger new song halfway.
    const fs::path p = Write("old.cz0", EmptySongBytes());
    for (std::uint32_t i = 0; i < 100; ++i)
        f.song.PutEvent(SongEvent{.tick = i * 40});
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    r = SaveSong(p, f.parts);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, "");
    EXPECT_NE(r.error.find("old.cz0"), std::string::npos) << r.error;
    EXPECT_EQ(Read(p), EmptySongBytes());
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_))
        ++files;
    EXPECT_EQ(files, 2) << "no temporary file is left behind (old.cz0 and folder.cz0 remain)";

    r = SaveSong(p, f.parts);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(Read(p).size(), 70u + 100u * 28u);
}

TEST_F(SongFileTest, HugeFilesAndDevicesAreRefusedUnread) {
    const fs::path big = Write("big.cz0", KnownSongBytes());
    fs::resize_file(big, (16u << 20) + 1);
    for (const fs::path& p : {big, fs::path("/dev/zero")}) {
        Fixture f;
        const SongFileResult r = LoadSong(p, f.parts);
        EXPECT_FALSE(r.ok) << p;
        EXPECT_NE(r.error.find(p.string()), std::string::npos) << r.error;
        EXPECT_EQ(f.song.eventCount, 0u);
    }
}

TEST_F(SongFileTest, MissingFileIsAReadErrorNamingIt) {
    Fixture f;
    const SongFileResult r = LoadSong(dir_ / "nothere.cz0", f.parts);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.wrongType);
    EXPECT_NE(r.error.find("nothere.cz0"), std::string::npos) << r.error;
}

} // namespace
} // namespace cadenzo
