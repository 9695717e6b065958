// Exported files read back by an independent Standard MIDI File reader (mido, through
// check_smf.py), compared with what the song says.
#include "files/smf_export.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace cadenzo {
namespace {

namespace fs = std::filesystem;

struct ExpectedNote {
    int on, off, note, velocity, string;
};

struct Expectation {
    std::string path;
    int format = 1;
    int tracks = 2;
    std::string layout;
    int tempo = 500000;
    std::vector<std::array<int, 3>> signatures;
    std::string name;
    int channel = 0; // 0-based, as the reader reports it
    int program = 24;
    std::vector<std::array<int, 3>> controllers;
    std::vector<int> reset; // empty: no reset message
    int endTick = 0;
    std::vector<ExpectedNote> notes;
};

std::string Quoted(const std::string &text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

template <std::size_t N> std::string List(const std::vector<std::array<int, N>> &rows) {
    std::ostringstream out;
    out << "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out << (i ? ",[" : "[");
        for (std::size_t j = 0; j < N; ++j)
            out << (j ? "," : "") << rows[i][j];
        out << "]";
    }
    out << "]";
    return out.str();
}

std::string Json(const std::vector<Expectation> &files) {
    std::ostringstream out;
    out << "{\"files\":[";
    for (std::size_t f = 0; f < files.size(); ++f) {
        const Expectation &e = files[f];
        std::vector<std::array<int, 5>> notes;
        for (const ExpectedNote &n : e.notes)
            notes.push_back({n.on, n.off, n.note, n.velocity, n.string});
        std::ostringstream reset;
        reset << "[";
        for (std::size_t i = 0; i < e.reset.size(); ++i)
            reset << (i ? "," : "") << e.reset[i];
        reset << "]";
        out << (f ? "," : "") << "{\"path\":" << Quoted(e.path) << ",\"format\":" << e.format
            << ",\"tracks\":" << e.tracks << ",\"layout\":" << Quoted(e.layout)
            << ",\"tempo\":" << e.tempo << ",\"time_signatures\":" << List(e.signatures)
            << ",\"name\":" << Quoted(e.name) << ",\"channel\":" << e.channel
            << ",\"program\":" << e.program << ",\"controllers\":" << List(e.controllers)
            << ",\"reset\":" << (e.reset.empty() ? "null" : reset.str())
            << ",\"end_tick\":" << e.endTick << ",\"notes\":" << List(notes) << "}";
    }
    out << "]}";
    return out.str();
}

class SmfReader : public ::testing::Test {
protected:
    std::unique_ptr<Song> song = std::make_unique<Song>();
    fs::path dir;

    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("smf_reader_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    void Put(std::uint32_t tick, Frets frets, std::int32_t gate, std::int32_t stroke,
             std::uint8_t dir, std::uint8_t velocity) {
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

    // Exports the song in the three layouts and lets the reader compare each with `expected`.
    void ExportAndRead(SmfOptions options, const char *tempoText, Expectation expected) {
        std::vector<Expectation> files;
        const std::pair<int, const char *> layouts[] = {
            {SMF_FORMAT0, "format0"}, {SMF_FORMAT1_SINGLE, "single"}, {SMF_FORMAT1_MULTI, "multi"}};
        for (const auto &[format, layout] : layouts) {
            options.format = format;
            options.fileName = (dir / (std::string(layout) + ".mid")).string();
            ASSERT_EQ(ExportSmf(*song, standardTuning, tempoText, options), "") << layout;
            Expectation e = expected;
            e.path = e.name = options.fileName;
            e.layout = layout;
            e.format = format == SMF_FORMAT0 ? 0 : 1;
            e.tracks = format == SMF_FORMAT0 ? 1 : format == SMF_FORMAT1_SINGLE ? 2 : 7;
            files.push_back(e);
        }
        const fs::path json = dir / "expected.json";
        std::ofstream(json) << Json(files);
        const fs::path report = dir / "report.txt";
        const std::string command = std::string(CADENZO_PYTHON) +
                                    " " CADENZO_CHECK_SMF_SCRIPT " '" + json.string() + "' > '" +
                                    report.string() + "' 2>&1";
        const int status = std::system(command.c_str());
        std::ifstream in(report);
        const std::string output{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(status, 0) << output;
        EXPECT_NE(output.find("checked 3 files, 0 problems"), std::string::npos) << output;
    }
};

// Strokes both ways, a silent string, a 3/4 change at bar 5, a stroke wider than its gate, a 6/8
// change after the last note, everything switched on, channel 3.
TEST_F(SmfReader, SongWithEveryKindOfEventReadsBackInEveryLayout) {
    song->SetMeter(5, 3, 4);
    song->SetMeter(10, 6, 8);
    Put(0, {0, 1, 0, 2, 3, SILENT}, 480, 60, 0, 100);
    Put(480, {0, 0, 0, 2, 2, 0}, 960, 120, 1, 90);
    Put(7680, {3, 3, 4, 5, 5, 3}, 1440, 0, 0, 127);
    Put(9120, {0, 0, 0, 0, 0, 0}, 100, 600, 0, 80);

    SmfOptions options = InitialSmfOptions(*song, 2, 26, "");
    options.init = SMF_INIT_GM;
    options.volumeOn = options.reverbOn = options.chorusOn = true;
    options.volume = 90;
    options.reverb = 30;
    options.chorus = 10;

    Expectation e;
    e.tempo = 625000; // 96 quarters a minute
    e.signatures = {{0, 4, 4}, {9600, 3, 4}, {16800, 6, 8}};
    e.channel = 2;
    e.program = 26;
    e.controllers = {{1450, 7, 90}, {1460, 91, 30}, {1470, 93, 10}};
    e.reset = {0x7E, 0x7F, 0x09, 0x01};
    e.endTick = 16800; // the 6/8 change lies after the last release at 11140
    e.notes = {
        // down stroke, 10 ticks a string, string 6 silent
        {1920, 2400, 48, 100, 5},
        {1930, 2400, 52, 100, 4},
        {1940, 2400, 55, 100, 3},
        {1950, 2400, 60, 100, 2},
        {1960, 2400, 64, 100, 1},
        // up stroke, 20 ticks a string
        {2400, 3360, 64, 90, 1},
        {2420, 3360, 59, 90, 2},
        {2440, 3360, 55, 90, 3},
        {2460, 3360, 52, 90, 4},
        {2480, 3360, 47, 90, 5},
        {2500, 3360, 40, 90, 6},
        // no stroke time: all at once
        {9600, 11040, 43, 127, 6},
        {9600, 11040, 50, 127, 5},
        {9600, 11040, 55, 127, 4},
        {9600, 11040, 59, 127, 3},
        {9600, 11040, 62, 127, 2},
        {9600, 11040, 67, 127, 1},
        // 100 ticks a string, released after 100: strings 4..1 never sound
        {11040, 11140, 40, 80, 6},
        {11140, 11140, 45, 80, 5},
    };
    ExportAndRead(options, "96", e);
}

TEST_F(SmfReader, FullSongReadsBackInEveryLayout) {
    for (std::uint32_t i = 0; i < MAX_EVENTS; ++i) {
        SongEvent &ev = song->songEvents[i];
        ev.tick = i * 80;
        ev.frets = {1, 2, 3, 4, 5, 6};
        ev.velocity = 100;
        ev.gate = 80;
        ev.strokeTime = 30;
    }
    song->eventCount = MAX_EVENTS;

    Expectation e;
    e.signatures = {{0, 4, 4}};
    e.endTick = 1999 * 80 + 80 + 1920;
    for (int i = 0; i < MAX_EVENTS; ++i)
        for (int k = 0; k < STRING_COUNT; ++k) {
            const int s = 5 - k; // down stroke: string index 5 first
            e.notes.push_back({i * 80 + 1920 + 5 * k, i * 80 + 80 + 1920,
                               s + 1 + standardTuning[static_cast<std::size_t>(s)] + 36, 100,
                               s + 1});
        }
    ExportAndRead(InitialSmfOptions(*song, 0, 24, ""), "120", e);
}

} // namespace
} // namespace cadenzo
