#pragma once

#include <QSettings>
#include <QString>

#include <memory>

namespace cadenzo {

// The preferences of practising and playing live (loop, count-in, metronome, practice speed, the
// strum keys and controller, the recent songs). They live apart from Cadenzo.ini, whose fixed
// lines other copies of the program read, and apart from the song, so that none of them changes
// a file the user shares: $XDG_CONFIG_HOME/cadenzo/preferences.ini (~/.config/cadenzo/ when it
// is unset), INI form, read at start and written at close like the settings.
// Window thread only.
QString preferencesFilePath();

// The preferences file, opened for reading or writing; sync() writes it (QSettings writes a
// temporary file and renames it, so a failed write keeps the last good file).
std::unique_ptr<QSettings> openPreferences();

// The silence after which the built-in synthesizer closes its audio output, in seconds (0: it
// stays open): [Synthesizer] pauseAfterQuietSeconds, 0 to 3600, read before the window exists
// because the output service is made first. Written back at close only if it is missing, so
// that the user finds it.
double synthesizerPauseSeconds(QSettings& preferences);
void keepSynthesizerPauseSeconds(QSettings& preferences);

} // namespace cadenzo
