// Chord names, chord charts in and ChordPro sheets out.
#include "files/chord_chart.h"
#include "files/chordpro_export.h"
#include "model/chords.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>

namespace cadenzo {
namespace {

TEST(ChordChart, ChordNameSpellings) {
    const std::pair<const char*, ChordSymbol> accepted[] = {
        // Roots, accidentals, basses, spellings; the random charts below spell every type too.
        {"Cmaj", {0, 0}},     {"Dbm", {1, 1}},        {"C#min", {1, 1}},   {"E-", {4, 1}},
        {"Gm6", {7, 3}},      {"B-7", {11, 5}},       {"CMaj7", {0, 6}},   {"Cmaj7", {0, 6}},
        {"CM7", {0, 6}},      {"CmMaj7", {0, 7}},     {"Cm7b5", {0, 8}},   {"Csus4", {0, 9}},
        {"Cdim", {0, 12}},    {"Caug", {0, 13}},      {"CM9", {0, 15}},    {"C69", {0, 16}},
        {"Cm9", {0, 21}},     {"CmM9", {0, 22}},      {"Cm6/9", {0, 23}},  {"Cb", {11, 0}},
        {"E#m", {5, 1}},      {"B♭7", {10, 4}},       {"F♯m", {6, 1}},     {"C/E", {0, 0, 4}},
        {"Am7/G", {9, 5, 7}}, {"C6/9/D", {0, 16, 2}}, {"D/F#", {2, 0, 6}}, {"Cdim7", {0, 12}},
    };
    for (const auto& [name, want] : accepted)
        EXPECT_EQ(parseChordSymbol(name), want) << name;
    for (const char* refused : {"", "H", "c", "Cadd9", "C13", "C11", "C/H", "C/", "Cm/", "C#b",
                                "C7/9x", "m7", "C 7", "Cmaj13", "C5", "Cadd2"})
        EXPECT_FALSE(parseChordSymbol(refused)) << refused;
}

// The chart's bars as "4/4:CAm", "-" for a bar that lets the chord ring on; or why it stopped.
std::string Bars(const char* text) {
    ChordChart chart;
    if (std::string problem = parseChordChart(text, chart); !problem.empty())
        return problem;
    std::string out;
    for (const ChartBar& bar : chart.bars) {
        out += (out.empty() ? "" : " ") + std::to_string(bar.num) + "/" + std::to_string(bar.den) +
               ":";
        for (const ChordSymbol& c : bar.chords)
            out +=
                chordName({c.root + 1, c.type}) + (c.bass >= 0 ? "/" + std::to_string(c.bass) : "");
        out += bar.chords.empty() ? "-" : "";
    }
    return out;
}

TEST(ChordChart, ReadsBarsOrSaysWhereItStopped) {
    const std::pair<const char*, const char*> cases[] = {
        {"| C | Am | F G | C |", "4/4:C 4/4:Am 4/4:FG 4/4:C"},
        {"C | % || G |  |\n3/4\n|Dm| %|\n{time: 6/8}\nEm7 | G/B",
         "4/4:C 4/4:C 4/4:G 4/4:- 3/4:Dm 3/4:Dm 6/8:Em7 6/8:G/11"},
        {"# intro\nVerse\n{title: X}\n[C]Lyrics [G]and [Am7]more", "4/4:C 4/4:G 4/4:Am7"},
        {"| [C]one [G]two | and | [F]three |", "4/4:CG 4/4:- 4/4:F"},
        {"| C |\n| Cadd9 |", "line 2, column 3: unknown chord name \"Cadd9\""},
        {"[Δ7] | [C13]", "line 1, column 2: unknown chord name \"Δ7\""},
        {"| Δ | ø | C13 |", "line 1, column 3: unknown chord name \"Δ\""},
        {"\xEF\xBB\xBF| C | G % |",
         "line 1, column 9: a bar holds chords or \"%\", not both: \"%\""},
        {"| % |", "line 1, column 3: no bar before \"%\""},
        {"| C |\n 7/5", "line 2, column 2: bad time signature \"7/5\""},
        {"{tempo: fast}", "line 1, column 9: bad tempo \"fast\""},
        {"| C [G |", "line 1, column 5: unclosed chord \"[G |\""},
    };
    for (const auto& [text, want] : cases)
        EXPECT_EQ(Bars(text), want) << text;
}

// The letter of the (highest) position whose voicing the event's frets are, or '?'.
char Position(const SongEvent& e, const Frets& tuning) {
    for (int p = CHORD_POSITIONS - 1; p >= 0; --p)
        if (e.frets == tunedVoicing(e.root - 1, e.chordType, p, tuning))
            return "LMH"[p];
    return '?';
}

// The chart's strokes as "tick:D/U velocity chord" and position letter, or why it cannot be played.
std::string Strokes(const char* text, const ChartOptions& options) {
    ChordChart chart;
    ChartSong song;
    std::string out = parseChordChart(text, chart);
    if (out.empty() && (out = arrangeChart(chart, options, song)).empty())
        for (const SongEvent& e : song.events)
            out += (out.empty() ? "" : " ") + std::to_string(e.tick) + ":" + "DU"[e.strokeDir] +
                   std::to_string(e.velocity) + chordName({e.root, e.chordType}) +
                   Position(e, options.tuning);
    return out;
}

TEST(ChordChart, StrumsThePatternAndStrikesEveryChord) {
    const Frets dropD = {28, 23, 19, 14, 9, 2};
    // chart, pattern, position, tuning; the strokes, or why the chart cannot be played
    const std::tuple<const char*, const char*, int, Frets, const char*> cases[] = {
        {"| C G |", "D-DU", 0, standardTuning,
         "0:D112CL 480:D100CL 720:U80CL 960:D100GL 1440:D100GL 1680:U80GL"},
        // A chord change where the pattern rests is struck down; three chords share 4/4 in 640s.
        {"| Am F E |", "-U", 1, dropD,
         "0:D112AmM 240:U80AmM 640:D80FM 720:U80FM 1200:U80FM 1280:D80EM 1680:U80EM"},
        // The bass picks the position whose lowest note it is: E under C is C's low voicing.
        {"6/8\n| C/E |", "D--", 2, standardTuning, "0:D112CL 720:D100CL"},
        {"1/16\n| C G C G |", "D", 0, standardTuning, "bar 1 is too short for its 4 chords"},
        {"Verse\n{title: X}", "D", 0, standardTuning, "the chart has no bars"},
        {"| C |", "DUx", 0, standardTuning,
         "bad strum pattern \"DUx\": use D (down), U (up) and - (rest), one per eighth note"},
    };
    for (const auto& [text, pattern, position, tuning, want] : cases)
        EXPECT_EQ(Strokes(text, {pattern, 0, position, tuning}), want) << text;
}

// A small ChordPro reader of its own: each bar's signature and chord names, and the defines.
struct Sheet {
    std::map<std::string, Frets> defines;
    std::vector<std::string> bars; // "3/4:C G", each change of chord name (a bass is no change)
};

Sheet ReadSheet(const std::string& text) {
    Sheet sheet;
    std::string meter = "?", sounding;
    std::istringstream lines(text);
    const std::regex directive(R"(\{(\w+): (.*)\})"), chord(R"(\[([^\]/]*)[^\]]*\])");
    const std::regex define(R"((\S+) base-fret (\d+) frets (\S+) (\S+) (\S+) (\S+) (\S+) (\S+))");
    std::smatch m, d;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_match(line, m, directive)) {
            const std::string value = m[2];
            if (m[1] == "time")
                meter = value;
            else if (m[1] == "define" && std::regex_match(value, d, define))
                for (int s = 0; s < STRING_COUNT; ++s) {
                    const std::string f = d[8 - s];
                    sheet.defines[d[1]][s] =
                        f == "x" ? SILENT : std::stoi(f) + (f == "0" ? 0 : std::stoi(d[2]) - 1);
                }
            continue;
        }
        EXPECT_TRUE(line.starts_with("|") && line.ends_with(" |")) << line;
        for (std::size_t at = 1, next; (next = line.find('|', at)) != std::string::npos;
             at = next + 1) {
            std::string bar = meter + ":", cell = line.substr(at, next - at);
            for (std::sregex_iterator c(cell.begin(), cell.end(), chord), end; c != end; ++c)
                if ((*c)[1] != sounding)
                    bar += (bar.back() == ':' ? "" : " ") + (sounding = (*c)[1]);
            sheet.bars.push_back(bar);
        }
    }
    return sheet;
}

TEST(ChordChart, SheetOfAKnownSong) {
    const auto song = std::make_unique<Song>();
    song->songName = "Blue", song->setMeter(6, 3, 4);
    const SongEvent events[] = {
        {.tick = 0, .frets = {0, 1, 0, 2, 3, SILENT}, .root = 1},
        {.tick = 960, .frets = {3, 1, 0, 2, 3, SILENT}, .root = 1},  // told apart by its bass
        {.tick = 1440, .frets = {3, 1, 0, 2, 3, SILENT}, .root = 1}, // no change
        {.tick = 1920 * 2, .frets = {0, 0, 0, 0, 0, 0}},             // no chord name
        {.tick = 1920 * 2 + 480, .frets = {0, 1, 0, 2, 3, SILENT}, .root = 1},
        {.tick = 1920 * 4, .frets = {10, 10, 11, 12, 12, 10}, .root = 10, .chordType = 1},
        {.tick = 1920 * 5 + 960, .frets = {5, 8, 7, 7, 5, SILENT}, .root = 3, .chordType = 17},
    };
    for (const SongEvent& e : events)
        song->insertEvent(e);
    EXPECT_EQ(composeChordPro(*song, "96", standardTuning),
              "{title: Blue}\n{tempo: 96}\n"
              "{define: C base-fret 1 frets x 3 2 0 1 0}\n"
              "{define: C/C base-fret 1 frets x 3 2 0 1 3}\n"
              "{define: Am base-fret 10 frets 1 3 3 2 1 1}\n"
              "{define: D9#5 base-fret 5 frets x 1 3 3 4 1}\n"
              "{time: 4/4}\n| [C] [C/C] | | [C] | |\n| [Am] |\n{time: 3/4}\n| [D9#5] |\n");
}

// Chords bar by bar with the signatures, every stroke one of its chord's voicings, each defined.
TEST(ChordChart, RandomChartsComeBackBarByBar) {
    std::mt19937 random(20261207);
    const auto pick = [&random](int n) { return static_cast<int>(random() % unsigned(n)); };
    const char* const meters[] = {"4/4", "3/4", "6/8", "2/4", "5/4", "7/8", "12/8"};
    const char* const spellings[] = {"",    "m",   "6",     "-6",  "7",   "min7", "Δ7",    "mM7",
                                     "ø",   "sus", "7sus4", "mb5", "°",   "+",    "9",     "Maj9",
                                     "6/9", "9#5", "9b5",   "7b9", "7#9", "-9",   "mMaj9", "m69"};
    const char* const roots[] = {"C", "Db", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"};
    for (int round = 0; round < 60; ++round) {
        std::string chart = "|", meter = "4/4", sounding;
        std::vector<std::string> want, previous;
        for (int bar = 0, bars = 1 + pick(40); bar < bars; ++bar) {
            if (pick(6) == 0)
                chart += "\n" + std::string(meter = meters[pick(7)]) + "\n|";
            std::vector<std::string> names;
            if (bar > 0 && pick(5) == 0) // "%" repeats the bar before, an empty bar rings on
                chart += pick(2) == 0 ? (names = previous, " %") : " ";
            else
                for (int k = 0, n = 1 + pick(3); k < n; ++k) {
                    const int root = pick(12), type = pick(CHORD_TYPES);
                    chart += std::string(" ") + roots[root] + spellings[type] +
                             (pick(4) == 0 ? std::string("/") + roots[pick(12)] : "");
                    names.push_back(chordName({root + 1, type}));
                }
            chart += " |", previous = names;
            want.push_back(meter + ":");
            for (const std::string& name : names)
                if (name != sounding)
                    want.back() += (want.back().back() == ':' ? "" : " ") + (sounding = name);
        }
        ChordChart parsed;
        ChartSong arranged;
        const ChartOptions options{"D-DU-UDU", 0, pick(3), tunePreset[1 + pick(8)].values};
        ASSERT_EQ(parseChordChart(chart, parsed), "") << chart;
        ASSERT_EQ(arrangeChart(parsed, options, arranged), "") << chart;
        const auto song = std::make_unique<Song>();
        storeChartSong(arranged, "Random", *song);
        const Sheet sheet = ReadSheet(composeChordPro(*song, "120", options.tuning));
        EXPECT_EQ(sheet.bars, want) << chart;
        std::set<Frets> used, defined;
        for (std::uint32_t i = 0; i < song->eventCount; ++i) {
            const SongEvent& e = song->songEvents[i];
            EXPECT_NE(Position(e, options.tuning), '?') << chart << " tick " << e.tick;
            used.insert(e.frets);
        }
        for (const auto& [name, frets] : sheet.defines) {
            const std::optional<ChordSymbol> c = parseChordSymbol(name);
            ASSERT_TRUE(c) << name;
            EXPECT_TRUE(lowestPitchClass(frets, options.tuning) == c->bass || c->bass < 0) << name;
            defined.insert(frets);
        }
        EXPECT_EQ(defined, used) << chart; // a define for every voicing, told apart by its bass
    }
}

} // namespace
} // namespace cadenzo
