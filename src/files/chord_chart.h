#pragma once

#include "files/file_result.h"
#include "files/song_file.h"
#include "model/chord_names.h"
#include "model/guitar.h"
#include "seq/song.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace cadenzo {

// The strum of an imported chart when none is asked for: one symbol per eighth note.
inline constexpr char DEFAULT_STRUM_PATTERN[] = "D-DU-UDU";
inline constexpr int DEFAULT_CHART_TEMPO = 120;
// Velocities of the imported strokes: the bar's first beat, the other beats, between the beats.
inline constexpr std::uint8_t BAR_ACCENT_VELOCITY = 112;
inline constexpr std::uint8_t BEAT_ACCENT_VELOCITY = 100;
inline constexpr std::uint8_t OFFBEAT_VELOCITY = 80;

// One bar of a chart. Its chords share it evenly; a bar without chords lets the chord before
// it ring on (strummed by the pattern), or stays silent at the start of the song.
struct ChartBar {
    std::uint8_t num = 4;
    std::uint8_t den = 4;
    std::vector<ChordSymbol> chords;
};

struct ChordChart {
    std::string title; // "{title: ...}", or "" when the chart has none
    int tempo = 0;     // "{tempo: ...}", or 0 when the chart has none
    std::vector<ChartBar> bars;
};

// Reads a chord chart, either plain or ChordPro, line by line:
// - a line holding "[Chord]" is a ChordPro line: its bracketed chords count, the rest is lyrics;
// - any other line holding "|" is a plain chart line: each blank-separated word between bar lines
//   is a chord, and "%" alone repeats the bar before;
// - "|" separates bars in both; "||" is a double bar line, not an empty bar; without any "|" a
//   ChordPro line gives each chord a bar of its own;
// - "3/4" or "{time: 3/4}" alone on a line changes the signature of the bars that follow;
//   "{title: ...}" and "{tempo: ...}" are kept; other directives, "#" comments and lines of
//   text alone are passed over.
// Returns "" or the first problem, as "line L, column C: ..." (columns count characters).
// Any thread.
std::string parseChordChart(std::string_view text, ChordChart& chart);

// "" when the pattern is one or more of D (down), U (up) and - (rest), else the reason. Any
// thread.
std::string checkStrumPattern(std::string_view pattern);

struct ChartOptions {
    std::string pattern = DEFAULT_STRUM_PATTERN;
    int tempo = 0;    // 30..300, or 0 for the chart's own (or DEFAULT_CHART_TEMPO)
    int position = 0; // 0 low, 1 middle, 2 high
    Frets tuning = standardTuning;
};

// A chart played through: the signature of each bar from bar 1 on, and the strokes in tick order.
struct ChartSong {
    std::vector<ChartBar> meters; // one per bar; chords unused
    std::vector<SongEvent> events;
    int tempo = DEFAULT_CHART_TEMPO;
};

// Voices and strums a chart. Each chord is played at options.position (or where its bass is
// lowest, positionForBass) as tunedVoicing gives it for options.tuning; the pattern's symbols
// fall on the eighth notes from each bar's start, repeated to fill the bar, and the first eighth
// of every chord is struck (down where the pattern rests) so that no chord of the chart is lost.
// Returns "" or the reason the chart does not make a song (no bars, more than 100 bars or 2000
// strokes, a bar too short for its chords, a bad pattern). Any thread.
std::string arrangeChart(const ChordChart& chart, const ChartOptions& options, ChartSong& out);

// Replaces the song by the arranged chart (under the song's lock): signatures, events; the song
// name becomes `name`. Window thread, once playback is stopped.
void storeChartSong(const ChartSong& arranged, const std::string& name, Song& song);

// Reads, parses and arranges a chart file; a failure names the file and, for a bad chart, the
// line and column. The song is not touched. Any thread.
FileResult readChordChart(const std::filesystem::path& path, const ChartOptions& options,
                          ChartSong& out, std::string& title);

} // namespace cadenzo
