#include "files/smf_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace cadenzo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr char NAME[] = "/tmp/x.mid"; // 10 characters

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes Text(const std::string &text) {
    return Bytes(text.begin(), text.end());
}

// Expected bytes, written from the file format by hand.
const Bytes nameEvent = Concat({{0x00, 0xFF, 0x03, 0x0A}, Text(NAME)});
const Bytes tempo120 = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
const Bytes meter44 = {0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08};
const Bytes program24 = {0x8B, 0x20, 0xC0, 0x18}; // delta 1440, program change 24, channel 1
const Bytes endOfTrack = {0xFF, 0x2F, 0x00};

// The payloads of the track chunks (after "MTrk" and the length), checking each length field.
std::vector<Bytes> Tracks(const Bytes &file) {
    std::vector<Bytes> tracks;
    std::size_t at = 14;
    while (at + 8 <= file.size()) {
        EXPECT_EQ(Bytes(file.begin() + at, file.begin() + at + 4), Text("MTrk"));
        const std::size_t length = (std::size_t{file[at + 4]} << 24) |
                                   (std::size_t{file[at + 5]} << 16) |
                                   (std::size_t{file[at + 6]} << 8) | file[at + 7];
        at += 8;
        if (at + length > file.size()) {
            ADD_FAILURE() << "track length " << length << " runs past the file";
            break;
        }
        tracks.emplace_back(file.begin() + at, file.begin() + at + length);
        at += length;
    }
    EXPECT_EQ(at, file.size());
    return tracks;
}

// Absolute ticks and kinds of a track's events, read independently of the writer: used to check
// the order rules (no negative delta is possible in the format, so the check is that the end of
// track is last and every note-on precedes its note-off).
struct ReadEvent {
    std::uint32_t tick;
    std::uint8_t status;
    std::uint8_t data1;
};
std::vector<ReadEvent> ReadTrack(const Bytes &t) {
    std::vector<ReadEvent> events;
    std::size_t i = 0;
    std::uint32_t tick = 0;
    auto varLen = [&] {
        std::uint32_t v = 0;
        std::uint8_t b = 0;
        do {
            b = t.at(i++);
            v = (v << 7) | (b & 0x7F);
        } while (b & 0x80);
        return v;
    };
    while (i < t.size()) {
        tick += varLen();
        const std::uint8_t status = t.at(i++);
        if (status == 0xFF) {
            const std::uint8_t type = t.at(i++);
            i += varLen();
            events.push_back({tick, status, type});
        } else if (status == 0xF0) {
            i += varLen();
            events.push_back({tick, status, 0});
        } else {
            EXPECT_GE(status, 0x80) << "running status or a stray data byte";
            const std::uint8_t d1 = t.at(i++);
            if ((status & 0xF0) != 0xC0)
                ++i;
            events.push_back({tick, status, d1});
        }
    }
    return events;
}

class SmfExport : public ::testing::Test {
protected:
    std::unique_ptr<Song> song = std::make_unique<Song>();
    Frets tuning = standardTuning;
    SmfOptions options = InitialSmfOptions(*song, 0, 24, NAME);

    void Put(std::uint32_t tick, Frets frets, std::int32_t gate, std::int32_t stroke,
             std::uint8_t dir = 0, std::uint8_t velocity = 100) {
        SongEvent e;
        e.tick = tick;
        e.frets = frets;
        e.gate = gate;
        e.strokeTime = stroke;
        e.strokeDir = dir;
        e.velocity = velocity;
        song->PutEvent(e);
        song->SortEvents();
    }
    // A slot written as a song file may leave it: unsorted, gates uncut.
    void Raw(std::uint32_t tick, Frets frets, std::int32_t gate, std::int32_t stroke) {
        SongEvent &e = song->songEvents[song->eventCount++];
        e.tick = tick;
        e.frets = frets;
        e.gate = gate;
        e.strokeTime = stroke;
        e.velocity = 100;
    }
    Bytes Compose(int tempo = 120) {
        Bytes out;
        EXPECT_EQ(ComposeSmf(*song, tuning, tempo, options, out), "");
        return out;
    }
};

constexpr Frets allOpen{0, 0, 0, 0, 0, 0};
constexpr Frets fifthSilent{0, 0, 0, 0, SILENT, 0};

TEST_F(SmfExport, EmptySongInFormat0IsTheLeadInBarOnly) {
    options.format = SMF_FORMAT0;
    const Bytes track = Concat({nameEvent, tempo120, meter44, program24, {0x83, 0x60}, endOfTrack});
    ASSERT_EQ(track.size(), 38u);
    const Bytes expected = Concat({{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0},
                                   {'M', 'T', 'r', 'k', 0, 0, 0, 38},
                                   track});
    EXPECT_EQ(Compose(), expected);
}

TEST_F(SmfExport, TempoIsMicrosecondsPerQuarterInThreeBytes) {
    options.format = SMF_FORMAT0;
    const std::pair<int, Bytes> cases[] = {{120, {0x07, 0xA1, 0x20}},
                                           {30, {0x1E, 0x84, 0x80}},
                                           {300, {0x03, 0x0D, 0x40}},
                                           {97, {0x09, 0x70, 0x3C}}}; // 618556
    for (const auto &[tempo, micros] : cases) {
        const Bytes track = Tracks(Compose(tempo)).at(0);
        EXPECT_EQ(Bytes(track.begin() + 14, track.begin() + 21),
                  Concat({{0x00, 0xFF, 0x51, 0x03}, micros}))
            << tempo;
    }
}

TEST(SmfVarLen, WritesSevenBitGroupsMostSignificantFirst) {
    const std::pair<std::uint32_t, Bytes> cases[] = {{0, {0x00}},
                                                     {0x7F, {0x7F}},
                                                     {0x80, {0x81, 0x00}},
                                                     {200, {0x81, 0x48}},
                                                     {1440, {0x8B, 0x20}},
                                                     {0x3FFF, {0xFF, 0x7F}},
                                                     {0x4000, {0x81, 0x80, 0x00}},
                                                     {0x1FFFFF, {0xFF, 0xFF, 0x7F}},
                                                     {0x200000, {0x81, 0x80, 0x80, 0x00}},
                                                     {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}}};
    for (const auto &[value, bytes] : cases) {
        Bytes out{0xAA};
        WriteVarLen(out, value);
        EXPECT_EQ(out, Concat({{0xAA}, bytes})) << value;
    }
}

// Six strings, down stroke 60 (10 ticks a string), gate 240: strings 6..1 from 1920, all
// released at 2160. Standard tuning: 40 45 50 55 59 64.
TEST_F(SmfExport, DownStrokeChordInSingleTrackLayout) {
    Put(0, allOpen, 240, 60);
    const std::vector<Bytes> tracks = Tracks(Compose());
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[0], Concat({nameEvent, tempo120, meter44, {0x90, 0x70}, endOfTrack}));
    EXPECT_EQ(tracks[1], Concat({program24,
                                 {0x83, 0x60, 0x90, 0x28, 0x64}, // 1920 string 6
                                 {0x0A, 0x90, 0x2D, 0x64},       // 1930 string 5
                                 {0x0A, 0x90, 0x32, 0x64},
                                 {0x0A, 0x90, 0x37, 0x64},
                                 {0x0A, 0x90, 0x3B, 0x64},
                                 {0x0A, 0x90, 0x40, 0x64}, // 1970 string 1
                                 {0x81, 0x3E, 0x80, 0x28, 0x00},
                                 {0x00, 0x80, 0x2D, 0x00},
                                 {0x00, 0x80, 0x32, 0x00},
                                 {0x00, 0x80, 0x37, 0x00},
                                 {0x00, 0x80, 0x3B, 0x00},
                                 {0x00, 0x80, 0x40, 0x00},
                                 {0x00},
                                 endOfTrack}));
}

// A silent string takes no place in the stroke: string 1 sounds at 1960, and the release 200
// ticks later is the delta 81 48.
TEST_F(SmfExport, SilentStringAddsNoTimeToTheStroke) {
    Put(0, fifthSilent, 240, 60);
    const std::vector<Bytes> tracks = Tracks(Compose());
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[1], Concat({program24,
                                 {0x83, 0x60, 0x90, 0x28, 0x64}, // 1920 string 6
                                 {0x0A, 0x90, 0x32, 0x64},       // 1930 string 4
                                 {0x0A, 0x90, 0x37, 0x64},
                                 {0x0A, 0x90, 0x3B, 0x64},
                                 {0x0A, 0x90, 0x40, 0x64}, // 1960 string 1
                                 {0x81, 0x48, 0x80, 0x28, 0x00},
                                 {0x00, 0x80, 0x32, 0x00},
                                 {0x00, 0x80, 0x37, 0x00},
                                 {0x00, 0x80, 0x3B, 0x00},
                                 {0x00, 0x80, 0x40, 0x00},
                                 {0x00},
                                 endOfTrack}));
}

TEST_F(SmfExport, UpStrokeRunsFromTheFirstString) {
    Put(0, fifthSilent, 240, 60, 1);
    const std::vector<SmfNote> notes = CollectNotes(*song, tuning, 1, 1, 6);
    ASSERT_EQ(notes.size(), 10u);
    const std::pair<std::int64_t, int> ons[] = {
        {1920, 64}, {1930, 59}, {1940, 55}, {1950, 50}, {1960, 40}};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(notes[i].tick, ons[i].first);
        EXPECT_EQ(notes[i].note, ons[i].second);
        EXPECT_EQ(notes[i + 5].tick, 2160);
        EXPECT_EQ(notes[i + 5].note, ons[i].second);
        EXPECT_EQ(notes[i + 5].status, 0x80);
    }
}

TEST_F(SmfExport, MultiTrackGivesEachStringItsTrackAndItsStrokeTime) {
    Put(0, allOpen, 240, 60);
    options.format = SMF_FORMAT1_MULTI;
    options.init = SMF_INIT_GS;
    options.volumeOn = true; // 100
    const std::vector<Bytes> tracks = Tracks(Compose());
    ASSERT_EQ(tracks.size(), 7u);
    const Bytes volume = {0x0A, 0xB0, 0x07, 0x64}; // 1450
    const Bytes gs = {0x00, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    // String 3: one note-on at 1950, its note-off at 2160.
    EXPECT_EQ(tracks[3], Concat({program24,
                                 volume,
                                 {0x83, 0x74, 0x90, 0x37, 0x64},
                                 {0x81, 0x52, 0x80, 0x37, 0x00},
                                 {0x00},
                                 endOfTrack}));
    // Only string 1's track carries the reset; every string track the set-up.
    for (std::size_t t = 1; t < 7; ++t) {
        const Bytes &track = tracks[t];
        const bool hasReset = Bytes(track.begin(), track.begin() + 13) == gs;
        EXPECT_EQ(hasReset, t == 1) << "track " << t;
        const std::size_t setup = hasReset ? 13 : 0;
        EXPECT_EQ(Bytes(track.begin() + setup, track.begin() + setup + 8),
                  Concat({program24, volume}))
            << "track " << t;
    }
    EXPECT_EQ(tracks[0], Concat({nameEvent, tempo120, meter44, {0x90, 0x70}, endOfTrack}));
}

TEST_F(SmfExport, StringWithoutNotesKeepsSetUpAndEndOfTrack) {
    Put(0, fifthSilent, 240, 60);
    options.format = SMF_FORMAT1_MULTI;
    options.volumeOn = true;
    const std::vector<Bytes> tracks = Tracks(Compose());
    ASSERT_EQ(tracks.size(), 7u);
    // 1450 to the end at 2160 is 710 ticks.
    EXPECT_EQ(tracks[5], Concat({program24, {0x0A, 0xB0, 0x07, 0x64, 0x85, 0x46}, endOfTrack}));
    // String 4 is the second to sound: 1930.
    EXPECT_EQ(tracks[4], Concat({program24,
                                 {0x0A, 0xB0, 0x07, 0x64},
                                 {0x83, 0x60, 0x90, 0x32, 0x64},
                                 {0x81, 0x66, 0x80, 0x32, 0x00},
                                 {0x00},
                                 endOfTrack}));
}

TEST_F(SmfExport, ResetMessagesGoRightAfterTheName) {
    options.format = SMF_FORMAT0;
    const std::pair<int, Bytes> cases[] = {
        {SMF_INIT_NONE, {}},
        {SMF_INIT_GM, {0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
        {SMF_INIT_XG, {0x00, 0xF0, 0x08, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}},
        {SMF_INIT_GS,
         {0x00, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}}};
    for (const auto &[init, reset] : cases) {
        options.init = init;
        EXPECT_EQ(
            Tracks(Compose()).at(0),
            Concat({nameEvent, reset, tempo120, meter44, program24, {0x83, 0x60}, endOfTrack}))
            << smfInitItems[static_cast<std::size_t>(init)];
    }
}

TEST_F(SmfExport, EverythingSwitchedOnInFormat0OnChannel10) {
    Put(0, {SILENT, SILENT, SILENT, SILENT, SILENT, 3}, 480, 0);
    options.format = SMF_FORMAT0;
    options.channel = 10;
    options.programItem = 6; // DistGtr, 30
    options.volumeOn = options.reverbOn = options.chorusOn = true;
    options.volume = 127;
    options.reverb = 0;
    options.chorus = 64;
    EXPECT_EQ(Tracks(Compose()).at(0), Concat({nameEvent,
                                               tempo120,
                                               meter44,
                                               {0x8B, 0x20, 0xC9, 0x1E},
                                               {0x0A, 0xB9, 0x07, 0x7F},
                                               {0x0A, 0xB9, 0x5B, 0x00},
                                               {0x0A, 0xB9, 0x5D, 0x40},
                                               {0x83, 0x42, 0x99, 0x2B, 0x64}, // 1920 note 43
                                               {0x83, 0x60, 0x89, 0x2B, 0x00}, // 2400
                                               {0x00},
                                               endOfTrack}));
}

// 3/4 from bar 5: the signature starts at 4 x 1920 + 1920. With no event after it, it also lies
// beyond the last gate: the end of track moves to it so it stays the last event.
TEST_F(SmfExport, SignatureChangeAtBar5AfterTheEndOfTheSong) {
    song->SetMeter(5, 3, 4);
    const std::vector<SmfMeter> meters = CollectMeters(song->meterTable);
    ASSERT_EQ(meters.size(), 2u);
    EXPECT_EQ(meters[1].tick, 9600);
    const std::vector<Bytes> tracks = Tracks(Compose());
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[0], Concat({nameEvent,
                                 tempo120,
                                 meter44,
                                 {0xCB, 0x00, 0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08},
                                 {0x00},
                                 endOfTrack}));
    // The string track ends at the same tick: 9600 - 1440 = 8160.
    EXPECT_EQ(tracks[1], Concat({program24, {0xBF, 0x60}, endOfTrack}));
}

TEST_F(SmfExport, SignatureComesBeforeANoteOnTheSameTick) {
    song->SetMeter(2, 6, 8);
    Put(1920, {SILENT, SILENT, SILENT, SILENT, SILENT, 0}, 480, 0);
    options.format = SMF_FORMAT0;
    const std::vector<ReadEvent> events = ReadTrack(Tracks(Compose()).at(0));
    ASSERT_GE(events.size(), 6u);
    EXPECT_EQ(events[3].tick, 1440u); // program change
    EXPECT_EQ(events[4].tick, 3840u);
    EXPECT_EQ(events[4].data1, 0x58); // time signature first
    EXPECT_EQ(events[5].tick, 3840u);
    EXPECT_EQ(events[5].status, 0x90);
}

TEST_F(SmfExport, DenominatorIsWrittenAsItsPowerOfTwo) {
    const std::pair<int, std::uint8_t> cases[] = {{1, 0}, {2, 1}, {4, 2}, {8, 3}, {16, 4}};
    int bar = 2;
    for (const auto &[den, power] : cases)
        song->SetMeter(bar++, 3, static_cast<std::uint8_t>(den));
    options.format = SMF_FORMAT0;
    const Bytes track = Tracks(Compose()).at(0);
    std::vector<std::uint8_t> powers;
    for (std::size_t i = 0; i + 4 < track.size(); ++i)
        if (track[i] == 0xFF && track[i + 1] == 0x58)
            powers.push_back(track[i + 4]);
    EXPECT_EQ(powers, (std::vector<std::uint8_t>{2, 0, 1, 2, 3, 4}));
}

// A song file may hold a stroke wider than the gate: the strings whose turn comes after the
// release never sound (as in playback), so every note-on precedes its note-off.
TEST_F(SmfExport, StrokeSpreadBeyondTheGateKeepsTheListInOrder) {
    Raw(0, allOpen, 240, 600); // 100 ticks a string: 1920, 2020, 2120, then past 2160
    Raw(240, {SILENT, SILENT, SILENT, SILENT, SILENT, 5}, 60, 0);
    const std::vector<SmfNote> notes = CollectNotes(*song, tuning, 1, 1, 6);
    const std::vector<std::pair<std::int64_t, int>> expected = {
        {1920, 0x90}, {2020, 0x90}, {2120, 0x90}, {2160, 0x80},
        {2160, 0x80}, {2160, 0x80}, {2160, 0x90}, {2220, 0x80}};
    ASSERT_EQ(notes.size(), expected.size());
    for (std::size_t i = 0; i < notes.size(); ++i) {
        EXPECT_EQ(notes[i].tick, expected[i].first) << i;
        EXPECT_EQ(notes[i].status, expected[i].second) << i;
    }
    for (int format : {SMF_FORMAT0, SMF_FORMAT1_SINGLE, SMF_FORMAT1_MULTI}) {
        options.format = format;
        for (const Bytes &track : Tracks(Compose())) {
            const std::vector<ReadEvent> events = ReadTrack(track);
            ASSERT_FALSE(events.empty());
            EXPECT_EQ(events.back().data1, 0x2F);
            EXPECT_EQ(events.back().tick, 2220u);
        }
    }
}

TEST_F(SmfExport, UnsortedOrNegativeValuesStillGiveAnOrderedTrack) {
    Raw(960, allOpen, 480, -60); // a negative stroke spreads nothing
    Raw(0, allOpen, -100, 60);   // a negative gate ends before it starts: nothing sounds
    Raw(480, {SILENT, SILENT, SILENT, SILENT, SILENT, 0}, 480, 0);
    const std::vector<SmfNote> notes = CollectNotes(*song, tuning, 1, 1, 6);
    ASSERT_EQ(notes.size(), 14u);
    EXPECT_EQ(notes[0].tick, 2400);
    EXPECT_EQ(notes[1].tick, 2880); // the note-off, then the chord at 960
    EXPECT_EQ(notes[1].status, 0x80);
    for (std::size_t i = 2; i < 8; ++i)
        EXPECT_EQ(notes[i].tick, 2880) << i;
    options.format = SMF_FORMAT0;
    const std::vector<ReadEvent> events = ReadTrack(Tracks(Compose()).at(0));
    for (std::size_t i = 1; i < events.size(); ++i)
        EXPECT_LE(events[i - 1].tick, events[i].tick);
    // The last slot in the list ends at 480 + 480 + 1920, but the chord at 960 ends later.
    EXPECT_EQ(events.back().tick, 3360u);
}

TEST_F(SmfExport, PitchFollowsTheGuitarAndBadBytesNeverReachTheFile) {
    // String 1 at fret 254 wraps as the guitar's pitch does ((254 + 28) mod 256 = 26 -> 62);
    // string 5 at fret 100 lies above note 127 and is left out but keeps its turn.
    Put(0, {254, SILENT, SILENT, SILENT, 100, 0}, 480, 60, 0, 200);
    const std::vector<SmfNote> notes = CollectNotes(*song, tuning, 1, 1, 6);
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(notes[0].tick, 1920);
    EXPECT_EQ(notes[0].note, 40);
    EXPECT_EQ(notes[1].tick, 1940);
    EXPECT_EQ(notes[1].note, 62);
    EXPECT_EQ(notes[0].velocity, 127);
    for (const SmfNote &n : notes) {
        EXPECT_LE(n.note, 127);
        EXPECT_LE(n.velocity, 127);
    }
}

TEST_F(SmfExport, ProgramOutsideTheGuitarsIsWrittenAsTheSongHasIt) {
    const std::pair<int, int> cases[] = {{24, 0}, {30, 6}, {31, -1}, {0, -1}, {23, -1}};
    for (const auto &[program, item] : cases) {
        options = InitialSmfOptions(*song, 0, program, NAME);
        EXPECT_EQ(options.programItem, item) << program;
        options.format = SMF_FORMAT0;
        const Bytes track = Tracks(Compose()).at(0);
        EXPECT_EQ(Bytes(track.begin() + 29, track.begin() + 33),
                  (Bytes{0x8B, 0x20, 0xC0, static_cast<std::uint8_t>(program)}))
            << program;
    }
}

TEST_F(SmfExport, InitialOptionsAreThoseTheDialogOpensWith) {
    song->smfVolume = 90;
    song->smfReverb = 41;
    song->smfChorus = 7;
    const SmfOptions o = InitialSmfOptions(*song, 9, 26, "a.mid");
    EXPECT_EQ(o.format, SMF_FORMAT1_SINGLE);
    EXPECT_EQ(o.init, SMF_INIT_NONE);
    EXPECT_EQ(o.channel, 10);
    EXPECT_EQ(o.programItem, 2);
    EXPECT_FALSE(o.volumeOn || o.reverbOn || o.chorusOn);
    EXPECT_EQ(o.volume, 90);
    EXPECT_EQ(o.reverb, 41);
    EXPECT_EQ(o.chorus, 7);
    EXPECT_STREQ(smfProgramItems[2], "Jazz Gtr");
}

// A full song: 2000 six-string chords, far beyond the 10001 bytes and 2000 notes a fixed buffer
// would hold.
TEST_F(SmfExport, FullSongExportsCompletelyInEveryLayout) {
    for (std::uint32_t i = 0; i < MAX_EVENTS; ++i)
        Raw(i * 80, {1, 2, 3, 4, 5, 6}, 80, 30);
    for (int format : {SMF_FORMAT0, SMF_FORMAT1_SINGLE, SMF_FORMAT1_MULTI}) {
        options.format = format;
        const std::vector<Bytes> tracks = Tracks(Compose());
        std::size_t ons = 0, offs = 0;
        for (const Bytes &track : tracks) {
            const std::vector<ReadEvent> events = ReadTrack(track);
            for (const ReadEvent &e : events) {
                ons += (e.status & 0xF0) == 0x90;
                offs += (e.status & 0xF0) == 0x80;
            }
            EXPECT_EQ(events.back().tick, 1999u * 80 + 80 + 1920);
        }
        EXPECT_EQ(ons, 12000u) << format;
        EXPECT_EQ(offs, 12000u) << format;
    }
}

TEST(SmfOptionsCheck, RefusesValuesOutsideTheirRanges) {
    struct Case {
        const char *what;
        void (*change)(SmfOptions &);
        const char *message;
    };
    const Case cases[] = {
        {"channel 0", [](SmfOptions &o) { o.channel = 0; }, "The channel 0 is outside 1..16."},
        {"channel 17", [](SmfOptions &o) { o.channel = 17; }, "The channel 17 is outside 1..16."},
        {"volume 128", [](SmfOptions &o) { o.volumeOn = true, o.volume = 128; },
         "The volume 128 is outside 0..127."},
        {"reverb -1", [](SmfOptions &o) { o.reverbOn = true, o.reverb = -1; },
         "The reverb -1 is outside 0..127."},
        {"chorus 300", [](SmfOptions &o) { o.chorusOn = true, o.chorus = 300; },
         "The chorus 300 is outside 0..127."},
        {"program item 7", [](SmfOptions &o) { o.programItem = 7; },
         "The program item 7 is not one of the 7 guitars."},
        {"program 128", [](SmfOptions &o) { o.programItem = -1, o.midiProgram = 128; },
         "The program 128 is outside 0..127."},
        {"format 3", [](SmfOptions &o) { o.format = 3; },
         "The format item 3 is not one of the 3 layouts."},
        {"reset -1", [](SmfOptions &o) { o.init = -1; },
         "The reset item -1 is not one of the 4 reset messages."},
        {"no name", [](SmfOptions &o) { o.fileName.clear(); }, "No file name is given."},
        {"volume unchecked", [](SmfOptions &o) { o.volume = 500; }, ""},
        {"all in range", [](SmfOptions &o) { o.channel = 16, o.chorusOn = true, o.chorus = 127; },
         ""},
    };
    for (const Case &c : cases) {
        SmfOptions o;
        o.fileName = "a.mid";
        c.change(o);
        EXPECT_EQ(CheckSmfOptions(o), c.message) << c.what;
    }
}

TEST(SmfTempo, TakesTheIntegerOfTheTempoText) {
    const std::pair<const char *, int> good[] = {
        {"120", 120}, {"30", 30}, {"300", 300}, {" 96", 96}};
    for (const auto &[text, value] : good) {
        int tempo = 0;
        EXPECT_EQ(ParseSmfTempo(text, tempo), "") << text;
        EXPECT_EQ(tempo, value);
    }
    const std::pair<const char *, const char *> bad[] = {
        {"", "The tempo \"\" is not an integer."},
        {"12a", "The tempo \"12a\" is not an integer."},
        {"1.5", "The tempo \"1.5\" is not an integer."},
        {"0", "The tempo 0 is outside 30..300."},
        {"-120", "The tempo -120 is outside 30..300."},
        {"301", "The tempo 301 is outside 30..300."},
        {"99999999999", "The tempo \"99999999999\" is not an integer."}};
    for (const auto &[text, message] : bad) {
        int tempo = 7;
        EXPECT_EQ(ParseSmfTempo(text, tempo), message) << text;
        EXPECT_EQ(tempo, 7);
    }
}

class SmfExportFile : public SmfExport {
protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("smf_export_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    static std::string Read(const fs::path &p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

TEST_F(SmfExportFile, WritesTheComposedBytesAndReplacesAnOldFile) {
    Put(0, allOpen, 240, 60);
    options.fileName = (dir / "song.mid").string();
    { std::ofstream(options.fileName) << std::string(20000, 'x'); }
    ASSERT_EQ(ExportSmf(*song, tuning, "120", options), "");
    Bytes expected;
    ASSERT_EQ(ComposeSmf(*song, tuning, 120, options, expected), "");
    EXPECT_EQ(Read(options.fileName), std::string(expected.begin(), expected.end()));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(SmfExportFile, RefusedExportLeavesNothingBehind) {
    const fs::path old = dir / "old.mid";
    { std::ofstream(old) << "previous"; }
    options.fileName = old.string();
    options.channel = 17;
    EXPECT_EQ(ExportSmf(*song, tuning, "120", options), "The channel 17 is outside 1..16.");
    options.channel = 1;
    EXPECT_EQ(ExportSmf(*song, tuning, "fast", options), "The tempo \"fast\" is not an integer.");
    Raw(0x0FFFFFFF - 1000, allOpen, 480, 0);
    const std::string tooLong = ExportSmf(*song, tuning, "120", options);
    EXPECT_NE(tooLong.find("beyond the last tick"), std::string::npos) << tooLong;
    EXPECT_EQ(Read(old), "previous");
    options.fileName = (dir / "new.mid").string();
    EXPECT_NE(ExportSmf(*song, tuning, "120", options), "");
    EXPECT_FALSE(fs::exists(options.fileName));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(SmfExportFile, WriteFailureNamesTheFile) {
    options.fileName = (dir / "missing" / "song.mid").string();
    const std::string message = ExportSmf(*song, tuning, "120", options);
    EXPECT_NE(message.find("Cannot write \"" + options.fileName + "\""), std::string::npos)
        << message;
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

} // namespace
} // namespace cadenzo
