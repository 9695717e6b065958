// The menu commands that open a dialog: each makes a new one, which disables the window until
// it closes.
#include "app/main_form.h"

#include "dialogs/edit_chords_dialog.h"
#include "dialogs/instrument_dialog.h"
#include "dialogs/register_chord_dialog.h"
#include "views/fretboard_view.h"

#include <QAction>
#include <QComboBox>

namespace cadenzo {

MainWindowHooks Tmain_form::DialogHooks() {
    MainWindowHooks hooks;
    hooks.chordShown = [this] { return ChordShown(); };
    hooks.showChords = [this](ChordSelection shown) { ShowChordSelection(shown); };
    hooks.recognizeAndMatch = [this] { RecognizeAndMatch(); };
    hooks.matchUserChord = [this] {
        usr->setCurrentIndex(MatchUserChord(app_.userChords, app_.guitar));
    };
    hooks.drawNeck = [this] {
        fretboard->SetNeckBarPosition(app_.guitar.neckPos);
        DrawNeck();
    };
    hooks.addUserChordItem = [this](int slot) {
        const std::string text = UserChordText(app_.userChords, slot);
        usr->addItem(QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())));
    };
    hooks.rebuildUserChords = [this] { RebuildUserChordList(); };
    hooks.refreshRoll = [this] { RefreshRoll(); };
    hooks.warn = [this](const QString& text) { warn(text); };
    return hooks;
}

void Tmain_form::ConnectDialogCommands() {
    connect(Resist1, &QAction::triggered, this,
            [this] { (new RegisterChordDialog(this, app_, DialogHooks()))->OpenOver(); });
    connect(Edit1, &QAction::triggered, this,
            [this] { (new EditChordsDialog(this, app_, DialogHooks()))->OpenOver(); });
    connect(instrument1, &QAction::triggered, this,
            [this] { (new InstrumentDialog(this, app_, DialogHooks()))->OpenOver(); });
}

} // namespace cadenzo
