#pragma once

#include "files/file_result.h"
#include "model/guitar.h"
#include "model/midi_setup.h"
#include "seq/song.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace cadenzo {

// The first six bytes of every song file.
inline constexpr char SONG_MAGIC[] = "CZ0200";
inline constexpr std::uint8_t CHUNK_MARK = 0xFE;
// Longest song name a file may carry.
inline constexpr std::size_t MAX_SONG_NAME = 254;

inline constexpr char SAVED_TEXT[] = "Saved.";
inline constexpr char LOADED_TEXT[] = "Loaded.";
inline constexpr char WRONG_TYPE_TEXT[] = "out of support this file type";

// Everything a song file stores: the song itself, the text of the `tempo` box, the MIDI channel,
// program and velocity, and the guitar's tuning and frets.
struct SongFileParts {
    Song& song;
    std::string& tempo;
    MidiSetup& midi;
    Guitar& guitar;
};

// The bytes of the song file for the current state. songName becomes "sample" first, as every
// saved song is named.
std::vector<std::uint8_t> encodeSongFile(const SongFileParts& parts);

// Reads a song file's bytes (magic skipped, not checked) into the parts, under the song's lock.
// Returns "" on success, else the problem (without the file name). Whatever the bytes, the list
// keeps at most 2000 events, its end marker and free slots past eventCount, and the bar ends
// match the signatures; what was read before a problem stays.
std::string decodeSongFile(std::span<const std::uint8_t> bytes, const SongFileParts& parts);

// Write the file: a temporary file beside it, flushed to disk, then renamed over the old one, so
// a failed save leaves an existing file as it was. A failure names the file and the reason.
FileResult writeSongFile(const std::filesystem::path& path, const SongFileParts& parts);
FileResult readSongFile(const std::filesystem::path& path, const SongFileParts& parts);

// The song commands. On success the message is the text of status panel 3 ("Saved." or
// "Loaded."); on failure it is for a message box. A file without the song file's magic is a
// WrongType failure, whose box carries the caption "Error".
FileResult saveSong(const std::filesystem::path& path, const SongFileParts& parts);
// Resets the song first with `newSong` (which stops playback; Song::resetSong when empty), then
// checks the magic and reads the file.
FileResult loadSong(const std::filesystem::path& path, const SongFileParts& parts,
                    const std::function<void()>& newSong = {});

} // namespace cadenzo
