#pragma once

#include "fretboard/fretboard_controller.h"
#include "fretboard/live_input.h"
#include "model/guitar.h"
#include "model/user_chords.h"
#include "playback/playback.h"
#include "seq/event_fields.h"
#include "seq/seq_mouse.h"
#include "seq/song.h"
#include "seq/undo.h"
#include "sound/midi_in.h"
#include "sound/midi_out.h"
#include "sound/midi_port.h"
#include "sound/strum.h"
#include "sound/timer.h"

#include <filesystem>
#include <memory>
#include <string>

namespace cadenzo {

// The settings file in the start folder.
inline constexpr const char* SETTINGS_FILE = "Cadenzo.ini";

// Everything Cadenzo keeps for the whole run, one instance of each, handed by reference to every
// part that uses it. The output device and the timer are given from outside so that tests run
// the same program on a recording device and a manual timer.
struct AppContext {
    AppContext(std::unique_ptr<MidiOut> out, std::unique_ptr<Timer> timerService,
               std::filesystem::path start);
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    std::unique_ptr<MidiOut> midiOut;
    std::unique_ptr<Timer> timer;
    Guitar guitar;
    MidiSetup midiSetup;
    MidiPort port;
    Strummer strummer;
    UserChordTable userChords;
    // Every change of the guitar goes through it.
    FretboardController fretboardController;
    // The strum keys and the MIDI controller; the controller's port is given from outside like
    // the output device, and stays null where there is none (tests, the command-line tool).
    LiveInput liveInput{strummer, fretboardController};
    std::unique_ptr<MidiIn> midiIn;
    Song song;
    // The editing session of the song: undo steps, the property fields, the view's mouse state.
    UndoHistory history;
    EventFields eventFields;
    SeqMouse seqMouse;
    PlaybackEngine playback;
    // The text of the tempo box, as the song file stores it.
    std::string tempo = "120";

    // The working folder at start: home of the settings file and the backup chord file.
    std::filesystem::path startDir;
    // Last names used by the song and chord file dialogs; they start at the start folder.
    std::filesystem::path songFile;
    std::filesystem::path chordFile;
    // The last Standard MIDI File exported; kept for the run only, empty until the first export.
    std::filesystem::path smfFile;
    // Where the unsaved song is copied for crash recovery; empty switches recovery off (tests
    // that do not look at it).
    std::filesystem::path recoveryFolder;

    std::filesystem::path settingsPath() const;
    std::filesystem::path backupChordPath() const;
};

} // namespace cadenzo
