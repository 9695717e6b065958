// The menu commands that open a dialog: each makes a new one, which disables the window until
// it closes.
#include "app/main_window.h"

#include "dialogs/edit_chords_dialog.h"
#include "dialogs/instrument_dialog.h"
#include "dialogs/register_chord_dialog.h"
#include "views/fretboard_view.h"

#include <QAction>
#include <QComboBox>

namespace cadenzo {

MainWindowHooks MainWindow::dialogHooks() {
    MainWindowHooks hooks;
    hooks.chordShown = [this] { return chordShown(); };
    hooks.showChords = [this](ChordSelection shown) { showChordSelection(shown); };
    hooks.recognizeAndMatch = [this] { recognizeAndMatch(); };
    hooks.matchUserChord = [this] {
        userChordBox_->setCurrentIndex(matchUserChord(app_.userChords, app_.guitar));
    };
    hooks.drawNeck = [this] {
        fretboard_->setNeckBarPosition(app_.guitar.neckPos);
        drawNeck();
    };
    hooks.addUserChordItem = [this](int slot) {
        const std::string text = userChordText(app_.userChords, slot);
        userChordBox_->addItem(
            QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())));
    };
    hooks.rebuildUserChords = [this] { rebuildUserChordList(); };
    hooks.refreshRoll = [this] { refreshRollView(); };
    hooks.warn = [this](const QString& text) { warn(text); };
    return hooks;
}

void MainWindow::connectDialogCommands() {
    connect(registerChordAction_, &QAction::triggered, this,
            [this] { (new RegisterChordDialog(this, app_, dialogHooks()))->openOver(); });
    connect(editChordAction_, &QAction::triggered, this,
            [this] { (new EditChordsDialog(this, app_, dialogHooks()))->openOver(); });
    connect(instrumentAction_, &QAction::triggered, this,
            [this] { (new InstrumentDialog(this, app_, dialogHooks()))->openOver(); });
}

} // namespace cadenzo
