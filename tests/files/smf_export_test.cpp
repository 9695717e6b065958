#include "files/smf_export.h"
#include "files/temp_folder.h"
#include "support/song_events.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace cadenzo {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr char NAME[] = "/tmp/x.mid"; // 10 characters

// Bytes of hex digit pairs; spaces only separate.
Bytes Hex(std::string_view text) {
    Bytes b;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] != ' ')
            b.push_back(
                static_cast<std::uint8_t>(std::stoi(std::string(text.substr(i++, 2)), 0, 16)));
    return b;
}

// Written by hand. Standard tuning: strings 1..6 sound 64 59 55 50 45 40 (40 3B 37 32 2D 28).
const std::string nameEvent = " 00 FF 03 0A 2F 74 6D 70 2F 78 2E 6D 69 64"; // NAME
const std::string tempo120 = " 00 FF 51 03 07 A1 20", meter44 = " 00 FF 58 04 04 02 18 08";
const std::string program24 = " 8B 20 C0 18"; // delta 1440, channel 1, program 24
const std::string endOfTrack = " FF 2F 00";
const std::string conductor = nameEvent + tempo120 + meter44 + " 90 70" + endOfTrack;

// The payloads of the track chunks, each length field checked against the file.
std::vector<Bytes> Tracks(const Bytes& file) {
    std::vector<Bytes> tracks;
    std::size_t at = 14;
    for (std::size_t length; at + 8 <= file.size(); at += 8 + length) {
        EXPECT_EQ(Bytes(file.begin() + at, file.begin() + at + 4), Hex("4D 54 72 6B")); // MTrk
        length =
            std::size_t{file[at + 4]} << 24 | file[at + 5] << 16 | file[at + 6] << 8 | file[at + 7];
        if (at + 8 + length > file.size())
            break;
        tracks.emplace_back(file.begin() + at + 8, file.begin() + at + 8 + length);
    }
    EXPECT_EQ(at, file.size());
    return tracks;
}

class SmfExport : public ::testing::Test {
protected:
    std::unique_ptr<Song> song = std::make_unique<Song>();
    Frets tuning = standardTuning;
    SmfOptions options = initialSmfOptions(*song, 0, 24, NAME);
    test::TempFolder dir;

    void put(std::uint32_t tick, Frets frets, std::int32_t gate, std::int32_t stroke,
             std::uint8_t up = 0, std::uint8_t velocity = 100) {
        song->insertEvent(test::MakeEvent(tick, frets, velocity, gate, stroke, up));
        song->sortEvents();
    }
    Bytes file; // the last one composed
    std::vector<Bytes> Compose(int format) {
        options.format = format, file.clear();
        EXPECT_EQ(composeSmf(*song, tuning, 120, options, file), "");
        return Tracks(file);
    }

    // `want`: the JSON every layout's file must hold (see check_smf.py), without the file list.
    void ExportAndRead(const char* tempo, const std::string& want) {
        std::string files;
        const std::pair<int, const char*> layouts[] = {
            {SMF_FORMAT0, "format0"}, {SMF_FORMAT1_SINGLE, "single"}, {SMF_FORMAT1_MULTI, "multi"}};
        for (const auto& [format, layout] : layouts) {
            options.format = format;
            options.fileName = (dir / (std::string(layout) + ".mid")).string();
            ASSERT_TRUE(exportSmf(*song, standardTuning, tempo, options).ok()) << layout;
            files += (files.empty() ? "[\"" : ",[\"") + options.fileName + "\",\"" + layout + "\"]";
        }
        test::WriteBytes(dir / "want.json", "{\"files\":[" + files + "]," + want + "}");
        const std::string command = CADENZO_PYTHON " " CADENZO_CHECK_SMF_SCRIPT " '" +
                                    (dir / "want.json").string() + "' > '" +
                                    (dir / "report.txt").string() + "' 2>&1";
        const int status = std::system(command.c_str());
        const std::string report = test::ReadBytes(dir / "report.txt");
        EXPECT_EQ(status, 0) << report;
        EXPECT_NE(report.find("checked 3 files, 0 problems"), std::string::npos) << report;
    }
};

// Refused one step past either end with a message that gives the range.
TEST(SmfOptions, EachRangeEndsWhereTheDialogsDo) {
    const struct {
        int SmfOptions::*field;
        int low, high;
        std::string name;
    } ranges[] = {
        // clang-format off
        {&SmfOptions::format, 0, 2, ""}, {&SmfOptions::init, 0, 3, ""},
        {&SmfOptions::channel, 1, 16, "channel"}, {&SmfOptions::programItem, -1, 6, ""},
        {&SmfOptions::midiProgram, 0, 127, "program"}, {&SmfOptions::volume, 0, 127, "volume"},
        {&SmfOptions::reverb, 0, 127, "reverb"}, {&SmfOptions::chorus, 0, 127, "chorus"},
    }; // clang-format on
    for (const auto& r : ranges)
        for (int value : {r.low - 1, r.low, r.high, r.high + 1}) {
            SmfOptions o{.fileName = "a.mid"};
            o.programItem = -1, o.volumeOn = o.reverbOn = o.chorusOn = true, o.*r.field = value;
            const bool within = value >= r.low && value <= r.high;
            const std::string message = checkSmfOptions(o);
            EXPECT_EQ(message.empty(), within) << value << ": " << message;
            EXPECT_TRUE(within || r.name.empty() ||
                        message == "The " + r.name + " " + std::to_string(value) + " is outside " +
                                       std::to_string(r.low) + ".." + std::to_string(r.high) + ".")
                << message;
        }
    std::vector<std::uint8_t> out;
    for (int tempo : {MIN_TEMPO - 1, MIN_TEMPO, MAX_TEMPO, MAX_TEMPO + 1})
        EXPECT_EQ(composeSmf(Song(), standardTuning, tempo, {.fileName = "a.mid"}, out).empty(),
                  tempo >= MIN_TEMPO && tempo <= MAX_TEMPO)
            << tempo;
}

TEST_F(SmfExport, EmptySongInFormat0IsTheLeadInBarOnly) {
    Compose(SMF_FORMAT0); // end of track at 1920
    EXPECT_EQ(file, Hex("4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 00 26" +
                        nameEvent + tempo120 + meter44 + program24 + " 83 60" + endOfTrack));
}

// A string whose pitch passes 127 (fret 100 on the fifth, fret 254 on the second string: 313,
// not the 57 a sum wrapped at 256 would give) is left out but keeps its turn in the stroke.
TEST_F(SmfExport, NotesAbove127AreLeftOutAndKeepTheirTurn) {
    put(0, {0, 254, SILENT, SILENT, 100, 0}, 480, 60);
    std::vector<std::pair<std::int64_t, int>> ons;
    for (const SmfNote& n : collectNotes(*song, tuning, 1, 1, 6))
        if (n.status == 0x90)
            ons.emplace_back(n.tick, n.note);
    EXPECT_EQ(ons, (std::vector<std::pair<std::int64_t, int>>{{1920, 40}, {1950, 64}}));
}

// Down stroke 60 (10 ticks a string), gate 240: strings 6..1 from 1920 on, released at 2160.
// The multi-track layout keeps each string's time and resets only in its first track.
TEST_F(SmfExport, StrokedChordInSingleAndMultiTrackLayouts) {
    put(0, {0, 0, 0, 0, 0, 0}, 240, 60);
    EXPECT_EQ(Compose(SMF_FORMAT1_SINGLE),
              (std::vector{Hex(conductor),
                           Hex(program24 +
                               " 83 60 90 28 64  0A 90 2D 64  0A 90 32 64  0A 90 37 64"
                               "  0A 90 3B 64  0A 90 40 64" // 1970 string 1
                               "  81 3E 80 28 00  00 80 2D 00  00 80 32 00  00 80 37 00"
                               "  00 80 3B 00  00 80 40 00  00" +
                               endOfTrack)}));

    options.init = SMF_INIT_GS, options.volumeOn = true;  // volume 100 at 1450
    const std::string setup = program24 + " 0A B0 07 64"; // the GS reset before it in track 1
    const std::vector<Bytes> tracks = Compose(SMF_FORMAT1_MULTI);
    ASSERT_EQ(tracks.size(), 7u);
    EXPECT_EQ(tracks[0], Hex(conductor));
    // String 3: note-on at 1950 (500 after the volume), note-off at 2160.
    EXPECT_EQ(tracks[3], Hex(setup + " 83 74 90 37 64  81 52 80 37 00  00" + endOfTrack));
    EXPECT_EQ(Bytes(tracks[1].begin(), tracks[1].begin() + 21),
              Hex("00 F0 0A 41 10 42 12 40 00 7F 00 41 F7" + setup));
    for (std::size_t t = 2; t < 7; ++t)
        EXPECT_EQ(Bytes(tracks[t].begin(), tracks[t].begin() + 8), Hex(setup)) << t;

    // A string without notes keeps the set-up and ends with the others, 710 after 1450.
    song->resetSong(), put(0, {0, 0, 0, 0, SILENT, 0}, 240, 60); // the fifth string silent
    EXPECT_EQ(Compose(SMF_FORMAT1_MULTI).at(5), Hex(setup + " 85 46" + endOfTrack));
}

// 6/8 from bar 2 and a note both at 3840: the signature first (a later one: see the mido test).
TEST_F(SmfExport, SignatureChangesLieOnTheirBarAndBeforeItsNotes) {
    song->setMeter(2, 6, 8), put(1920, {SILENT, SILENT, SILENT, SILENT, SILENT, 0}, 480, 0);
    EXPECT_EQ(Compose(SMF_FORMAT0).at(0),
              Hex(nameEvent + tempo120 + meter44 + program24 +
                  " 92 60 FF 58 04 06 03 18 08  00 90 28 64  83 60 80 28 00  00" + endOfTrack));
}

// Strokes both ways, a silent string, 3/4 from bar 5, a stroke wider than its gate, 6/8 from
// bar 10 after the last note, every set-up message, channel 3, tempo 96.
TEST_F(SmfExport, SongWithEveryKindOfEventReadsBackWithMidoInEveryLayout) {
    song->setMeter(5, 3, 4), song->setMeter(10, 6, 8);
    put(0, {0, 1, 0, 2, 3, SILENT}, 480, 60, 0, 100), put(480, {0, 0, 0, 2, 2, 0}, 960, 120, 1, 90);
    put(7680, {3, 3, 4, 5, 5, 3}, 1440, 0, 0, 127), put(9120, {0, 0, 0, 0, 0, 0}, 100, 600, 0, 80);
    options = initialSmfOptions(*song, 2, 26, "");
    options.init = SMF_INIT_GM, options.volumeOn = options.reverbOn = options.chorusOn = true;
    options.volume = 90, options.reverb = 30, options.chorus = 10;
    ExportAndRead("96", R"(
        "tempo": 625000, "channel": 2, "program": 26, "reset": [126, 127, 9, 1],
        "time_signatures": [[0, 4, 4], [9600, 3, 4], [16800, 6, 8]],
        "controllers": [[1450, 7, 90], [1460, 91, 30], [1470, 93, 10]],
        "end_tick": 16800,
        "notes": [
            [1920, 2400, 48, 100, 5], [1930, 2400, 52, 100, 4], [1940, 2400, 55, 100, 3],
            [1950, 2400, 60, 100, 2], [1960, 2400, 64, 100, 1],
            [2400, 3360, 64, 90, 1], [2420, 3360, 59, 90, 2], [2440, 3360, 55, 90, 3],
            [2460, 3360, 52, 90, 4], [2480, 3360, 47, 90, 5], [2500, 3360, 40, 90, 6],
            [9600, 11040, 43, 127, 6], [9600, 11040, 50, 127, 5], [9600, 11040, 55, 127, 4],
            [9600, 11040, 59, 127, 3], [9600, 11040, 62, 127, 2], [9600, 11040, 67, 127, 1],
            [11040, 11140, 40, 80, 6], [11140, 11140, 45, 80, 5]])");
}

// 2000 six-string chords: 24000 notes in each layout, no fixed buffer or list in the way.
TEST_F(SmfExport, FullSongReadsBackWithMidoInEveryLayout) {
    std::string notes;
    for (std::uint32_t i = 0; i < MAX_EVENTS; ++i) {
        put(i * 80, {1, 2, 3, 4, 5, 6}, 80, 30, 0, 100);
        for (int k = 0; k < STRING_COUNT; ++k) { // down stroke, 5 ticks a string
            const int s = 5 - k, note = s + 1 + standardTuning[static_cast<std::size_t>(s)] + 36;
            notes += (notes.empty() ? "[" : ",[") + std::to_string(i * 80 + 1920 + 5 * k) + "," +
                     std::to_string(i * 80 + 2000) + "," + std::to_string(note) + ",100," +
                     std::to_string(s + 1) + "]";
        }
    }
    ExportAndRead("120",
                  R"("tempo": 500000, "channel": 0, "program": 24, "reset": null,
                     "time_signatures": [[0, 4, 4]], "controllers": [], "end_tick": 161920,
                     "notes": [)" +
                      notes + "]");
}

} // namespace
} // namespace cadenzo
