#pragma once

#include "files/file_result.h"
#include "model/guitar.h"
#include "seq/song.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cadenzo {

// The song is shifted by one 4/4 bar that carries the set-up messages.
inline constexpr std::uint32_t LEAD_IN_TICKS = 1920;
inline constexpr std::uint16_t SMF_DIVISION = 480;
// Set-up messages of the lead-in bar.
inline constexpr std::uint32_t SMF_PROGRAM_TICK = 1440;
inline constexpr std::uint32_t SMF_VOLUME_TICK = 1450;
inline constexpr std::uint32_t SMF_REVERB_TICK = 1460;
inline constexpr std::uint32_t SMF_CHORUS_TICK = 1470;
inline constexpr std::uint8_t CC_VOLUME = 7;
inline constexpr std::uint8_t CC_REVERB = 91;
inline constexpr std::uint8_t CC_CHORUS = 93;
// A variable-length quantity holds at most four bytes, so no tick of the file may lie beyond this.
inline constexpr std::int64_t SMF_MAX_TICK = 0x0FFFFFFF;

// Items of the export dialog's lists, in item order.
inline constexpr int SMF_FORMAT0 = 0;
inline constexpr int SMF_FORMAT1_SINGLE = 1;
inline constexpr int SMF_FORMAT1_MULTI = 2;
inline constexpr std::array<const char*, 3> smfFormatItems{"Format 0", "Format 1 (Single Tr.)",
                                                           "Format 1 (Multi Tr.)"};
inline constexpr int SMF_INIT_NONE = 0;
inline constexpr int SMF_INIT_GM = 1;
inline constexpr int SMF_INIT_XG = 2;
inline constexpr int SMF_INIT_GS = 3;
inline constexpr std::array<const char*, 4> smfInitItems{"none", "GM Reset", "XG Reset",
                                                         "GS Reset"};
// `e_pc` item i is program i + SMF_FIRST_PROGRAM.
inline constexpr int SMF_FIRST_PROGRAM = 24;
inline constexpr std::array<const char*, 7> smfProgramItems{
    "NylonGtr", "SteelGtr", "Jazz Gtr", "CleanGtr", "Mute Gtr", "OverDriveGtr", "DistGtr"};

// The file name the dialog offers in the start folder when none was chosen yet.
inline constexpr char SMF_DEFAULT_FILE[] = "sample.mid";

// What the export dialog collects. The dialog fills it from its controls; the command-line tool
// from its options.
struct SmfOptions {
    int format = SMF_FORMAT1_SINGLE; // item of `format`
    int init = SMF_INIT_NONE;        // item of `init`
    int channel = 1;                 // `e_channel`, 1..16
    // Item of `e_pc`, or -1 when the list shows no selection (the song's program is not one of
    // the seven guitars); the program change then carries `midiProgram` unchanged.
    int programItem = 0;
    int midiProgram = SMF_FIRST_PROGRAM;
    bool volumeOn = false; // `c_volume`: write controller 7 with `volume`
    int volume = 100;
    bool reverbOn = false; // `c_reverb`: controller 91
    int reverb = 40;
    bool chorusOn = false; // `c_chorus`: controller 93
    int chorus = 0;
    // The file to write; its full name is also the text of the name event.
    std::string fileName;
};

// The `e_pc` item showing midiProgram, or -1 when it is not one of the seven guitars.
int smfProgramItem(int midiProgram);
// The options the dialog opens with: "Format 1 (Single Tr.)", "none", the song's channel, its
// program, no controllers (their values from the song's smfVolume, smfReverb, smfChorus).
SmfOptions initialSmfOptions(const Song& song, int midiChannel, int midiProgram,
                             std::string fileName);
// The program the program change carries.
int smfProgram(const SmfOptions& options);

// "" when every option is in range, else one sentence naming the first value that is not. A
// controller's value is checked only when its controller is written.
std::string checkSmfOptions(const SmfOptions& options);
// The integer of a text box (blanks around it and a leading "+" allowed), for the boxes of the
// export dialog: "" on success, else `The <what> "<text>" is not an integer.`; value is then kept.
std::string parseSmfInteger(std::string_view text, const char* what, int& value);
// The integer of the `tempo` box's text, 30..300. Returns "" or the reason it cannot be used.
std::string parseSmfTempo(std::string_view text, int& tempo);

// The pieces the file is built from, in the order the file uses them.

// 7 bits per byte, most significant group first, bit 7 set on all but the last byte.
// value must not exceed SMF_MAX_TICK.
void writeVarLen(std::vector<std::uint8_t>& out, std::uint32_t value);
void writeSmfHeader(std::vector<std::uint8_t>& out, int format, int trackCount);

// One pending note-on or note-off. Ticks are those of the file (lead-in included).
struct SmfNote {
    std::int64_t tick = 0;
    std::uint8_t status = 0;
    std::uint8_t note = 0;
    std::uint8_t velocity = 0;
};
// One pending time signature.
struct SmfMeter {
    std::int64_t tick = 0;
    std::uint8_t num = 4;
    std::uint8_t den = 4;
};

// Note-ons and note-offs of strings first..last (numbered 1..6 as string index + 1), in the
// order the file writes them. Every audible string of an event takes its place in the stroke
// whether or not it is in first..last, so a string keeps its timing in a track of its own.
// A string whose place in the stroke comes after the end of the gate never sounds (as in
// playback) and is left out; a negative stroke time spreads nothing. A string whose pitch lies
// above MIDI note 127 is left out too, and a velocity above 127 is written as 127.
std::vector<SmfNote> collectNotes(const Song& song, const Frets& tuning, int channel, int first,
                                  int last);
// The signature of the lead-in bar at tick 0, then one entry at the start of every bar whose
// signature changes.
std::vector<SmfMeter> collectMeters(const MeterTable& meterTable);

// The tick at which every track ends: the end of the last event's gate, or later when a note or
// a time signature of the file lies beyond it, so the end of track is always the last event.
std::int64_t smfEndTick(const Song& song, const Frets& tuning);

// Track A: everything in one track; B: the strings first..last; C: the conductor track.
enum class SmfTrackKind { A, B, C };
struct SmfTrack {
    SmfTrackKind kind = SmfTrackKind::A;
    int firstString = 1;
    int lastString = 6;
    bool withReset = false; // the first track that carries notes carries the reset message
};
// The tracks of the chosen layout, in file order.
std::vector<SmfTrack> smfTracks(int format);

struct SmfContext {
    const Song& song;
    const Frets& tuning;
    int tempo;
    const SmfOptions& options;
    std::int64_t endTick; // smfEndTick
};
void buildTrack(std::vector<std::uint8_t>& out, const SmfContext& context, const SmfTrack& track);

// The whole file in memory. Returns "" on success, else the reason (options out of range, a tempo
// out of range, a song reaching past the last tick a file can hold); out is then empty.
std::string composeSmf(const Song& song, const Frets& tuning, int tempo, const SmfOptions& options,
                       std::vector<std::uint8_t>& out);

// The export, on the window thread (which reads the song without its lock): checks the tempo
// text and the options, composes the file and writes it to options.fileName complete or not at
// all (a temporary file renamed over the old one). Nothing is written when a check fails.
// A refused value is a Content failure, a failed write a Write failure.
FileResult exportSmf(const Song& song, const Frets& tuning, std::string_view tempoText,
                     const SmfOptions& options);

} // namespace cadenzo
