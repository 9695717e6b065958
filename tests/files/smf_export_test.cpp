#include "files/smf_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <tuple>

namespace cadenzo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr char NAME[] = "/tmp/x.mid"; // 10 characters
constexpr Frets allOpen{0, 0, 0, 0, 0, 0};
constexpr Frets fifthSilent{0, 0, 0, 0, SILENT, 0};
constexpr Frets sixthOnly{SILENT, SILENT, SILENT, SILENT, SILENT, 0};

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Expected bytes, written from the file format by hand. Standard tuning sounds 64 59 55 50 45 40
// (0x40 0x3B 0x37 0x32 0x2D 0x28) on strings 1..6.
const Bytes nameEvent = Cat({{0x00, 0xFF, 0x03, 0x0A}, Bytes(NAME, NAME + 10)});
const Bytes tempo120 = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
const Bytes meter44 = {0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08};
const Bytes program24 = {0x8B, 0x20, 0xC0, 0x18}; // delta 1440, channel 1, program 24
const Bytes endOfTrack = {0xFF, 0x2F, 0x00};

// The payloads of the track chunks, each length field checked against the file.
std::vector<Bytes> Tracks(const Bytes& file) {
    std::vector<Bytes> tracks;
    std::size_t at = 14;
    while (at + 8 <= file.size()) {
        EXPECT_EQ(Bytes(file.begin() + at, file.begin() + at + 4), (Bytes{'M', 'T', 'r', 'k'}));
        const std::size_t length =
            std::size_t{file[at + 4]} << 24 | file[at + 5] << 16 | file[at + 6] << 8 | file[at + 7];
        at += 8;
        if (at + length > file.size())
            break;
        tracks.emplace_back(file.begin() + at, file.begin() + at + length);
        at += length;
    }
    EXPECT_EQ(at, file.size());
    return tracks;
}

class SmfExport : public ::testing::Test {
protected:
    std::unique_ptr<Song> song = std::make_unique<Song>();
    Frets tuning = standardTuning;
    SmfOptions options = InitialSmfOptions(*song, 0, 24, NAME);

    void Put(std::uint32_t tick, Frets frets, std::int32_t gate, std::int32_t stroke) {
        SongEvent e;
        e.tick = tick;
        e.frets = frets;
        e.gate = gate;
        e.strokeTime = stroke;
        e.velocity = 100;
        song->PutEvent(e);
        song->SortEvents();
    }
    // A slot as a song file may leave it: unsorted, gates uncut, any values.
    SongEvent& Raw(std::uint32_t tick, Frets frets, std::int32_t gate, std::int32_t stroke) {
        SongEvent& e = song->songEvents[song->eventCount++];
        e.tick = tick;
        e.frets = frets;
        e.gate = gate;
        e.strokeTime = stroke;
        e.velocity = 100;
        return e;
    }
    std::vector<Bytes> Compose(int format, int tempo = 120) {
        options.format = format;
        Bytes out;
        EXPECT_EQ(ComposeSmf(*song, tuning, tempo, options, out), "");
        return Tracks(out);
    }
    // (tick, status, note) of CollectNotes for all six strings.
    std::vector<std::tuple<std::int64_t, int, int>> Notes() {
        std::vector<std::tuple<std::int64_t, int, int>> list;
        for (const SmfNote& n : CollectNotes(*song, tuning, 1, 1, 6))
            list.emplace_back(n.tick, n.status, n.note);
        return list;
    }
};

TEST_F(SmfExport, EmptySongInFormat0IsTheLeadInBarOnly) {
    options.format = SMF_FORMAT0;
    Bytes file;
    ASSERT_EQ(ComposeSmf(*song, tuning, 120, options, file), "");
    EXPECT_EQ(file, Cat({{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0},
                         {'M', 'T', 'r', 'k', 0, 0, 0, 38},
                         nameEvent,
                         tempo120,
                         meter44,
                         program24,
                         {0x83, 0x60}, // end of track at 1920
                         endOfTrack}));
}

TEST(SmfVarLen, WritesSevenBitGroupsMostSignificantFirst) {
    const std::pair<std::uint32_t, Bytes> cases[] = {{0, {0x00}},
                                                     {0x7F, {0x7F}},
                                                     {0x80, {0x81, 0x00}},
                                                     {200, {0x81, 0x48}},
                                                     {0x3FFF, {0xFF, 0x7F}},
                                                     {0x4000, {0x81, 0x80, 0x00}},
                                                     {0x1FFFFF, {0xFF, 0xFF, 0x7F}},
                                                     {0x200000, {0x81, 0x80, 0x80, 0x00}},
                                                     {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}}};
    for (const auto& [value, bytes] : cases) {
        Bytes out{0xAA};
        WriteVarLen(out, value);
        EXPECT_EQ(out, Cat({{0xAA}, bytes})) << value;
    }
}

// Six strings, down stroke 60 (10 ticks a string), gate 240: strings 6..1 from 1920 on, all
// released at 2160.
TEST_F(SmfExport, DownStrokeChordInSingleTrackLayout) {
    Put(0, allOpen, 240, 60);
    const std::vector<Bytes> tracks = Compose(SMF_FORMAT1_SINGLE);
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[0], Cat({nameEvent, tempo120, meter44, {0x90, 0x70}, endOfTrack}));
    EXPECT_EQ(tracks[1], Cat({program24,
                              {0x83, 0x60, 0x90, 0x28, 0x64}, // 1920 string 6
                              {0x0A, 0x90, 0x2D, 0x64},
                              {0x0A, 0x90, 0x32, 0x64},
                              {0x0A, 0x90, 0x37, 0x64},
                              {0x0A, 0x90, 0x3B, 0x64},
                              {0x0A, 0x90, 0x40, 0x64},       // 1970 string 1
                              {0x81, 0x3E, 0x80, 0x28, 0x00}, // 2160
                              {0x00, 0x80, 0x2D, 0x00, 0x00, 0x80, 0x32, 0x00},
                              {0x00, 0x80, 0x37, 0x00, 0x00, 0x80, 0x3B, 0x00},
                              {0x00, 0x80, 0x40, 0x00, 0x00},
                              endOfTrack}));
}

// A silent string takes no turn: string 1 sounds at 1960, released 200 ticks later (81 48).
TEST_F(SmfExport, SilentStringAddsNoTimeToTheStroke) {
    Put(0, fifthSilent, 240, 60);
    EXPECT_EQ(Compose(SMF_FORMAT1_SINGLE).at(1),
              Cat({program24,
                   {0x83, 0x60, 0x90, 0x28, 0x64}, // 1920 string 6
                   {0x0A, 0x90, 0x32, 0x64},       // 1930 string 4
                   {0x0A, 0x90, 0x37, 0x64},
                   {0x0A, 0x90, 0x3B, 0x64},
                   {0x0A, 0x90, 0x40, 0x64}, // 1960 string 1
                   {0x81, 0x48, 0x80, 0x28, 0x00},
                   {0x00, 0x80, 0x32, 0x00, 0x00, 0x80, 0x37, 0x00},
                   {0x00, 0x80, 0x3B, 0x00, 0x00, 0x80, 0x40, 0x00, 0x00},
                   endOfTrack}));
}

TEST_F(SmfExport, MultiTrackKeepsEachStringsTimeAndResetsOnlyInTheFirst) {
    Put(0, allOpen, 240, 60);
    options.init = SMF_INIT_GS;
    options.volumeOn = true; // 100 at 1450
    const Bytes volume = {0x0A, 0xB0, 0x07, 0x64};
    const Bytes gs = {0x00, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    const std::vector<Bytes> tracks = Compose(SMF_FORMAT1_MULTI);
    ASSERT_EQ(tracks.size(), 7u);
    EXPECT_EQ(tracks[0], Cat({nameEvent, tempo120, meter44, {0x90, 0x70}, endOfTrack}));
    // String 3: note-on at 1950 (500 after the volume), note-off at 2160.
    EXPECT_EQ(tracks[3], Cat({program24,
                              volume,
                              {0x83, 0x74, 0x90, 0x37, 0x64},
                              {0x81, 0x52, 0x80, 0x37, 0x00, 0x00},
                              endOfTrack}));
    EXPECT_EQ(Bytes(tracks[1].begin(), tracks[1].begin() + 21), Cat({gs, program24, volume}));
    for (std::size_t t = 2; t < 7; ++t)
        EXPECT_EQ(Bytes(tracks[t].begin(), tracks[t].begin() + 8), Cat({program24, volume})) << t;

    // A string without notes keeps the set-up and ends with the others, 710 after 1450.
    song->NewSong();
    Put(0, fifthSilent, 240, 60);
    EXPECT_EQ(Compose(SMF_FORMAT1_MULTI).at(5), Cat({program24, volume, {0x85, 0x46}, endOfTrack}));
}

TEST_F(SmfExport, ResetMessagesFollowTheName) {
    const std::pair<int, Bytes> cases[] = {
        {SMF_INIT_NONE, {}},
        {SMF_INIT_GM, {0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
        {SMF_INIT_XG, {0x00, 0xF0, 0x08, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}},
        {SMF_INIT_GS,
         {0x00, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}}};
    for (const auto& [init, reset] : cases) {
        options.init = init;
        EXPECT_EQ(Compose(SMF_FORMAT0).at(0),
                  Cat({nameEvent, reset, tempo120, meter44, program24, {0x83, 0x60}, endOfTrack}))
            << smfInitItems[static_cast<std::size_t>(init)];
    }
}

// 3/4 from bar 5 starts at 4 x 1920 + 1920. No note follows it, so it lies beyond the end of the
// song: the end of track moves to it in every track and stays the last event.
TEST_F(SmfExport, SignatureChangeAtBar5AfterTheEndOfTheSong) {
    song->SetMeter(5, 3, 4);
    const std::vector<Bytes> tracks = Compose(SMF_FORMAT1_SINGLE);
    EXPECT_EQ(tracks.at(0), Cat({nameEvent,
                                 tempo120,
                                 meter44,
                                 {0xCB, 0x00, 0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08, 0x00},
                                 endOfTrack}));
    EXPECT_EQ(tracks.at(1), Cat({program24, {0xBF, 0x60}, endOfTrack})); // 9600 - 1440
}

TEST_F(SmfExport, SignatureGoesBeforeANoteOnTheSameTick) {
    song->SetMeter(2, 6, 8);
    Put(1920, sixthOnly, 480, 0);
    EXPECT_EQ(Compose(SMF_FORMAT0).at(0),
              Cat({nameEvent,
                   tempo120,
                   meter44,
                   program24,
                   {0x92, 0x60, 0xFF, 0x58, 0x04, 0x06, 0x03, 0x18, 0x08}, // 3840: 6/8
                   {0x00, 0x90, 0x28, 0x64, 0x83, 0x60, 0x80, 0x28, 0x00, 0x00},
                   endOfTrack}));
}

// Song files may hold what the editor never makes. The strings whose turn comes after the release
// never sound (as in playback); a negative stroke spreads nothing; a negative gate sounds
// nothing; unsorted events are taken in tick order, an event's note-offs before the next one's
// note-ons. The end of track comes after everything.
TEST_F(SmfExport, ForeignEventsStillGiveOrderedTracks) {
    Raw(0, allOpen, 240, 600);   // 100 a string: 1920, 2020, 2120; 2220 is past 2160
    Raw(960, allOpen, 480, -60); // all at 2880
    Raw(240, allOpen, -100, 60);
    Raw(480, sixthOnly, 480, 0); // ends at 2880, where the chord at 960 begins
    using N = std::tuple<std::int64_t, int, int>;
    std::vector<N> expected = {{1920, 0x90, 40}, {2020, 0x90, 45}, {2120, 0x90, 50},
                               {2160, 0x80, 40}, {2160, 0x80, 45}, {2160, 0x80, 50},
                               {2400, 0x90, 40}, {2880, 0x80, 40}};
    for (int note : {40, 45, 50, 55, 59, 64})
        expected.emplace_back(2880, 0x90, note);
    for (int note : {40, 45, 50, 55, 59, 64})
        expected.emplace_back(3360, 0x80, note);
    EXPECT_EQ(Notes(), expected);
    // The last slot ends at 480 + 480 + 1920; the chord at 960 later, at 3360.
    EXPECT_EQ(SmfEndTick(*song, tuning), 3360);
}

TEST_F(SmfExport, NotesAndVelocitiesStayDataBytes) {
    // Fret 254 on string 1 wraps as the guitar's pitch does: (254 + 28) mod 256 + 36 = 62.
    // Fret 100 on string 5 would be note 145: left out, but it keeps its turn in the stroke.
    Raw(0, {254, SILENT, SILENT, SILENT, 100, 0}, 480, 60).velocity = 200;
    const std::vector<SmfNote> notes = CollectNotes(*song, tuning, 1, 1, 6);
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(std::make_tuple(notes[0].tick, notes[0].note, notes[0].velocity),
              std::make_tuple(std::int64_t{1920}, 40, 127));
    EXPECT_EQ(std::make_tuple(notes[1].tick, notes[1].note, notes[1].velocity),
              std::make_tuple(std::int64_t{1940}, 62, 127));
}

TEST(SmfOptionsCheck, RefusesValuesOutsideTheirRanges) {
    const std::pair<void (*)(SmfOptions&), const char*> cases[] = {
        {[](SmfOptions& o) { o.channel = 0; }, "The channel 0 is outside 1..16."},
        {[](SmfOptions& o) { o.channel = 17; }, "The channel 17 is outside 1..16."},
        {[](SmfOptions& o) { o.volumeOn = true, o.volume = 128; },
         "The volume 128 is outside 0..127."},
        {[](SmfOptions& o) { o.reverbOn = true, o.reverb = -1; },
         "The reverb -1 is outside 0..127."},
        {[](SmfOptions& o) { o.chorusOn = true, o.chorus = 300; },
         "The chorus 300 is outside 0..127."},
        {[](SmfOptions& o) { o.programItem = 7; },
         "The program item 7 is not one of the 7 guitars."},
        {[](SmfOptions& o) { o.programItem = -1, o.midiProgram = 128; },
         "The program 128 is outside 0..127."},
        {[](SmfOptions& o) { o.format = 3; }, "The format item 3 is not one of the 3 layouts."},
        {[](SmfOptions& o) { o.init = -1; },
         "The reset item -1 is not one of the 4 reset messages."},
        {[](SmfOptions& o) { o.fileName.clear(); }, "No file name is given."},
        {[](SmfOptions& o) { o.volume = 500; }, ""}, // not written, not checked
        {[](SmfOptions& o) { o.channel = 16, o.chorusOn = true, o.chorus = 127; }, ""},
    };
    for (const auto& [change, message] : cases) {
        SmfOptions o;
        o.fileName = "a.mid";
        change(o);
        EXPECT_EQ(CheckSmfOptions(o), message);
    }
}

TEST(SmfTempo, TakesTheIntegerOfTheTempoText) {
    const std::pair<const char*, const char*> cases[] = {
        {"120", ""},
        {" 30", ""},
        {"300", ""},
        {"", "The tempo \"\" is not an integer."},
        {"12a", "The tempo \"12a\" is not an integer."},
        {"99999999999", "The tempo \"99999999999\" is not an integer."},
        {"0", "The tempo 0 is outside 30..300."}, // would divide by zero
        {"-120", "The tempo -120 is outside 30..300."},
        {"301", "The tempo 301 is outside 30..300."}};
    for (const auto& [text, message] : cases) {
        int tempo = -1;
        EXPECT_EQ(ParseSmfTempo(text, tempo), message) << text;
        EXPECT_EQ(tempo, *message ? -1 : std::stoi(text)) << text;
    }
    int channel = 3;
    EXPECT_EQ(ParseSmfInteger("1x", "channel", channel), "The channel \"1x\" is not an integer.");
    EXPECT_EQ(ParseSmfInteger("+12 ", "channel", channel), "");
    EXPECT_EQ(channel, 12);
}

class SmfExportFile : public SmfExport {
protected:
    fs::path dir = fs::temp_directory_path() /
                   ("smf_export_" +
                    std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::size_t Files() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }
};

TEST_F(SmfExportFile, WritesTheWholeFileOverAnOldOne) {
    Put(0, allOpen, 240, 60);
    options.fileName = (dir / "song.mid").string();
    std::ofstream(options.fileName) << std::string(20000, 'x');
    ASSERT_EQ(ExportSmf(*song, tuning, "120", options), "");
    Bytes expected;
    ASSERT_EQ(ComposeSmf(*song, tuning, 120, options, expected), "");
    EXPECT_EQ(Read(options.fileName), std::string(expected.begin(), expected.end()));
    EXPECT_EQ(Files(), 1u);
}

TEST_F(SmfExportFile, RefusedOrFailedExportLeavesFilesAsTheyWere) {
    options.fileName = (dir / "old.mid").string();
    std::ofstream(options.fileName) << "previous";
    options.channel = 17;
    EXPECT_EQ(ExportSmf(*song, tuning, "120", options), "The channel 17 is outside 1..16.");
    options.channel = 1;
    EXPECT_EQ(ExportSmf(*song, tuning, "fast", options), "The tempo \"fast\" is not an integer.");
    Raw(0x0FFFFFFF - 1000, allOpen, 480, 0); // its end lies past what a delta can reach
    EXPECT_NE(ExportSmf(*song, tuning, "120", options).find("beyond the last tick"),
              std::string::npos);
    EXPECT_EQ(Read(options.fileName), "previous");
    EXPECT_EQ(Files(), 1u);

    song->NewSong();
    options.fileName = (dir / "missing" / "song.mid").string();
    EXPECT_EQ(ExportSmf(*song, tuning, "120", options),
              "Cannot write \"" + options.fileName + "\": No such file or directory.");
}

} // namespace
} // namespace cadenzo
