#include "app/preferences.h"

#include "sound/fluidsynth/fluid_midi_out.h"

#include <QStandardPaths>

#include <algorithm>

namespace cadenzo {

QString preferencesFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/cadenzo/preferences.ini");
}

std::unique_ptr<QSettings> openPreferences() {
    return std::make_unique<QSettings>(preferencesFilePath(), QSettings::IniFormat);
}

namespace {
const QString PAUSE_KEY = QStringLiteral("Synthesizer/pauseAfterQuietSeconds");
const double DEFAULT_PAUSE_SECONDS = FluidMidiOut::Options{}.pauseAfterQuietSeconds;
} // namespace

double synthesizerPauseSeconds(QSettings& preferences) {
    bool ok = false;
    const double seconds = preferences.value(PAUSE_KEY, DEFAULT_PAUSE_SECONDS).toDouble(&ok);
    return ok ? std::clamp(seconds, 0.0, 3600.0) : DEFAULT_PAUSE_SECONDS;
}

void keepSynthesizerPauseSeconds(QSettings& preferences) {
    if (!preferences.contains(PAUSE_KEY))
        preferences.setValue(PAUSE_KEY, DEFAULT_PAUSE_SECONDS);
}

} // namespace cadenzo
