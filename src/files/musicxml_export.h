#pragma once

#include "files/file_result.h"
#include "model/guitar.h"
#include "seq/song.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace cadenzo {

// The grid the export moves onsets and gate ends to, in the order the export offers it.
enum class NotationGrid { Sixteenth, ThirtySecond, Eighth };
inline constexpr std::array<const char*, 3> notationGridItems{"1/16", "1/32", "1/8"};
inline constexpr std::int32_t notationGridTicks(NotationGrid grid) {
    return grid == NotationGrid::ThirtySecond ? 60 : grid == NotationGrid::Eighth ? 240 : 120;
}
// Ticks of one note of the editor's triplet grid (a sixteenth of a triplet).
inline constexpr std::int32_t TRIPLET_TICKS = 80;
// The MusicXML file offered in the start folder when the song has no file yet.
inline constexpr char MUSICXML_DEFAULT_FILE[] = "sample.musicxml";

struct MusicXmlOptions {
    NotationGrid grid = NotationGrid::Sixteenth;
    std::string title;    // the work title, usually the song file's name without its extension
    int midiChannel = 0;  // 0..15, written 1..16
    int midiProgram = 24; // 0..127, written 1..128
};

// One event quantised: its onset and end on the grid (or the triplet grid), in song ticks.
struct NotatedChord {
    std::int64_t onset = 0;
    std::int64_t end = 0;
    int event = 0; // slot in the song's list
};
// Onsets and ends of the listed events as the export writes them. An onset on the editor's
// triplet grid that the chosen grid cannot hold keeps its place, and every point in the same
// eighth of the bar then moves to the triplet grid, so the eighth is written as a triplet; unless
// another onset in that eighth lies off the triplet grid, which keeps the eighth straight. A gate
// that quantises to nothing lasts one step; a gate reaching past the next onset ends there; of
// several events on one quantised onset the first stays.
std::vector<NotatedChord> notatedChords(const Song& song, NotationGrid grid);

// The whole file in memory: partwise MusicXML 4.0, one guitar part on a standard staff (treble
// clef an octave down) and a six-line tablature staff in `tuning`. Returns "" on success, else
// the reason it cannot be written (a tempo outside 30..300, a tuning above MIDI note 127, a song
// longer than MAX_NOTATED_TICK); out is then empty.
inline constexpr std::int64_t MAX_NOTATED_TICK = 10 * std::int64_t{MAX_TICK};
std::string composeMusicXml(const Song& song, const Frets& tuning, int tempo,
                            const MusicXmlOptions& options, std::string& out);

// The compressed form (.mxl): a zip archive of the mimetype, the container that names the score
// and the score. Its entries are stored, not deflated: the container is what notation programs
// ask for, and the format allows both.
std::string packMxl(std::string_view score);

// The export, on the window thread (which reads the song without its lock) or by the command-line
// tool: checks the tempo text, composes the file and writes it to `path` complete or not at all.
// A path ending in ".mxl" gets the compressed form. A refused value is a Content failure, a failed
// write a Write failure.
FileResult exportMusicXml(const Song& song, const Frets& tuning, std::string_view tempoText,
                          const MusicXmlOptions& options, const std::filesystem::path& path);

} // namespace cadenzo
