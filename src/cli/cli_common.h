#pragma once

#include "files/song_file.h"
#include "model/guitar.h"
#include "playback/playback_schedule.h"
#include "seq/song.h"
#include "sound/midi_port.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <stdexcept>
#include <string>

namespace cadenzo::cli {

// Bad input on the command line: the tool prints the message on one line and exits with 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// A failure while carrying out a valid command (a file that cannot be read, a device that cannot
// be opened): the message goes to stderr and the tool exits with 1.
struct RunError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A song as a song file restores it: the song, its tempo text, MIDI setup, tuning and frets.
// A file that cannot be loaded throws RunError with the message that names the file.
struct LoadedSong {
    Song song;
    std::string tempo = "120";
    MidiSetup midi;
    Guitar guitar;
    SongFileParts parts{song, tempo, midi, guitar};

    explicit LoadedSong(const std::string& path);
};

// Throws RunError with the reason when the engine's run over the song did not end with the
// release of its last event (a bad tempo, nothing at or after the start tick, no end).
void throwUnlessComplete(const PlaybackSchedule& schedule, const LoadedSong& loaded);

// An item of the chord lists without its blanks: "C#", "m7", "m69".
std::string Bare(const char* item);
// The chordTable root 0..11 of "C" .. "B" (the Chord1 item is one more).
int parseRoot(const std::string& text);
// The Chord2 item index of "M", "m", "6", ... "m69".
int parseType(const std::string& text);

// A preset name of the instrument dialog ("Standard", "Drop D", ...) or six comma-separated
// values 0..255, string 0 first.
Frets parseTuning(const std::string& text);
// The help of every --tuning option, which parseTuning reads.
inline constexpr const char* TUNING_HELP =
    "Tuning: a preset name (\"Standard\", \"Drop D\", \"DADGAD\", \"Open E\", ...) or six "
    "comma-separated values 0..255, string 0 (highest) first, in semitones above MIDI note 36";

// The MIDI output devices as the tool offers them: the built-in synthesizer plays `soundFont`
// when one is given, and a failure to open it advises the tool's options, not the window's menu.
std::unique_ptr<MidiOut> makeTerminalMidiOut(const std::string& soundFont);
// Opens the port on its device, or throws RunError with one line: the warning, the device and
// the reason the device gave.
void openOnTerminal(MidiPort& port);

// Each subsystem adds its subcommands to the tool.
void addChordCommands(CLI::App& app);
void addSoundCommands(CLI::App& app);
void addSongCommands(CLI::App& app);
void addExportCommands(CLI::App& app);
void addMusicXmlCommands(CLI::App& app);
void addRenderCommands(CLI::App& app);
void addChordProCommands(CLI::App& app);

} // namespace cadenzo::cli
