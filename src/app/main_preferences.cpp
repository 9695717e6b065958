#include "app/main_window.h"
#include "app/preferences.h"

namespace cadenzo {

// Each part of the preferences reads and writes its own group of the file.

void MainWindow::loadPreferences() {
    const std::unique_ptr<QSettings> preferences = openPreferences();
    loadLivePreferences(*preferences);
    loadPracticePreferences(*preferences);
}

void MainWindow::savePreferences() {
    const std::unique_ptr<QSettings> preferences = openPreferences();
    saveLivePreferences(*preferences);
    savePracticePreferences(*preferences);
    keepSynthesizerPauseSeconds(*preferences);
    preferences->sync();
}

} // namespace cadenzo
