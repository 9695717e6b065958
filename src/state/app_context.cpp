#include "state/app_context.h"

namespace cadenzo {

AppContext::AppContext(std::unique_ptr<MidiOut> out, std::unique_ptr<Timer> timerService,
                       std::filesystem::path start)
    : midiOut(std::move(out)), timer(std::move(timerService)), port(*midiOut, midiSetup),
      strummer(*timer, port, guitar), fretboardController(guitar, userChords, port),
      playback(song, port, guitar, *timer), startDir(std::move(start)), songFile(startDir),
      chordFile(startDir) {}

std::filesystem::path AppContext::settingsPath() const {
    return startDir / SETTINGS_FILE;
}

std::filesystem::path AppContext::backupChordPath() const {
    return startDir / BACKUP_CHORD_FILE;
}

} // namespace cadenzo
