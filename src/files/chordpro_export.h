#pragma once

#include "files/file_result.h"
#include "model/guitar.h"
#include "seq/song.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace cadenzo {

// The "{define: ...}" line of a voicing in ChordPro's own terms: strings from the lowest, "x" for
// a silent one, frets counted from the base fret (1 is the base fret itself, 0 an open string).
// The base fret is 1 while the voicing stays within the first four frets, else its lowest
// fretted fret. Any thread.
std::string chordProDefine(std::string_view name, const Frets& frets);

// The song as a ChordPro chord sheet: "{title}" with the song name (none while the song has no
// name), "{tempo}" with the tempo text, a "{define}" for every voicing the song uses, then the
// bars from bar 1 to the bar of the last event, four to a line between "|" bar lines, with
// "{time}" on a line of its own before bar 1 and before every bar whose signature changes (which
// starts a line). "[Name]" stands where an event's sheet name differs from the one sounding;
// events without a chord name change nothing. The sheet name is the chord name (chordName) for
// the first voicing of that name, and for each other voicing the name with "/" and its lowest
// note in the tuning ("C/E"), as the chart import reads it back. Window thread, or any thread
// for a song no one edits.
std::string composeChordPro(const Song& song, std::string_view tempo, const Frets& tuning);

// composeChordPro written to path as a whole (a temporary file renamed over the old one).
FileResult exportChordPro(const std::filesystem::path& path, const Song& song,
                          std::string_view tempo, const Frets& tuning);

} // namespace cadenzo
