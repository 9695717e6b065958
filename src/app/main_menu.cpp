// The menu bar of the main window and the commands that need nothing beyond the window itself.
#include "app/main_window.h"
#include "app/manual_location.h"
#include "app/version.h"

#include "app/sequencer_pane.h"
#include "app/termination_signals.h"
#include "views/fretboard_view.h"
#include "views/roll_view.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QUrl>

namespace cadenzo {

namespace {

QAction* Item(QMenu* menu, const char* name, const char* caption, const char* shortcut = nullptr,
              bool checkable = false) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    if (shortcut != nullptr)
        action->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
    action->setCheckable(checkable);
    return action;
}

QMenu* Menu(QMenuBar* bar, const char* name, const char* caption) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(caption));
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

} // namespace

void MainWindow::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    fileMenu_ = Menu(bar, "File1", "File(&F)");
    newSongAction_ = Item(fileMenu_, "NewSongN1", "New Song(&N)", "Ctrl+N");
    fileMenu_->addSeparator();
    loadUserChordsAction_ = Item(fileMenu_, "LoadUserChordL1", "Open UserChord");
    loadSongAction_ = Item(fileMenu_, "LoadSong1", "Open Song(&O)", "Ctrl+O");
    importChartAction_ = Item(fileMenu_, "ImportChordChart1", "Import Chord Chart…");
    fileMenu_->addSeparator();
    saveUserChordsAction_ = Item(fileMenu_, "Savechord1", "Save UserChord");
    saveSongAsAction_ = Item(fileMenu_, "SaveSongasnew1", "Save Song as new");
    saveSongAction_ = Item(fileMenu_, "SaveSong1", "Save Song(&S)", "Ctrl+S");
    fileMenu_->addSeparator();
    exportSmfAction_ = Item(fileMenu_, "ExportSMFE1", "Export SMF(&E)");
    exportMusicXmlAction_ = Item(fileMenu_, "ExportMusicXML1", "Export MusicXML…");
    exportChordProAction_ = Item(fileMenu_, "ExportChordPro1", "Export ChordPro…");
    exportAudioAction_ = Item(fileMenu_, "ExportAudio1", "Export Audio…");
    fileMenu_->addSeparator();
    closeAction_ = Item(fileMenu_, "Close1", "Close (&X)");

    editMenu_ = Menu(bar, "EditE1", "Edit (&E)");
    undoAction_ = Item(editMenu_, "UndoZ1", "Undo (&Z)", "Ctrl+Z");
    redoAction_ = Item(editMenu_, "RedoY1", "Redo (&Y)");
    redoAction_->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
    editMenu_->addSeparator();
    copyAction_ = Item(editMenu_, "CopyC1", "Copy (&C)", "Ctrl+C");
    cutAction_ = Item(editMenu_, "CutX1", "Cut (&X)", "Ctrl+X");
    pasteAction_ = Item(editMenu_, "PasteV1", "Paste (&V)", "Ctrl+V");
    clearFretsAction_ = Item(editMenu_, "AllClearonFletQ1", "All Clear on Flet (&F)", "Ctrl+F");
    editMenu_->addSeparator();
    importNoteAction_ = Item(editMenu_, "Importnote1", "Import note(&I)", "Ctrl+Q");
    exportNoteAction_ = Item(editMenu_, "Exportnote1", "Export note(&E)", "Ctrl+A");
    deleteNoteAction_ = Item(editMenu_, "DeletenoteD1", "Delete note(&D)", "Ctrl+D");

    chordMenu_ = Menu(bar, "C1", "Chord(&C)");
    registerChordAction_ = Item(chordMenu_, "Resist1", "Resist(&R)", "Ctrl+R");
    editChordAction_ = Item(chordMenu_, "Edit1", "Edit(&E)", "Ctrl+E");

    setupMenu_ = Menu(bar, "SetUp1", "SetUp(&S)");
    instrumentAction_ = Item(setupMenu_, "instrument1", "Instrument (&I)", "Ctrl+I");
    setupMenu_->addSeparator();
    playOnSettingAction_ = Item(setupMenu_, "Playonsetting1", "Play on setting", nullptr, true);
    positionLockAction_ = Item(setupMenu_, "PositionLock1", "Position Lock", nullptr, true);
    chordSearchAction_ = Item(setupMenu_, "ChordSe1", "ChordSearch", nullptr, true);
    stayOnTopAction_ = Item(setupMenu_, "Stayontop1", "Stay on top", nullptr, true);
    setupMenu_->addSeparator();
    colorsAction_ = Item(setupMenu_, "ColorsC1", "Colors(&C)");

    helpMenu_ = Menu(bar, "Help1", "Help(&H)");
    helpAction_ = Item(helpMenu_, "Help2", "Help (&H)", "Ctrl+H");
    helpMenu_->addSeparator();
    versionAction_ = Item(helpMenu_, "Version2", "Version (&V)");

    connect(newSongAction_, &QAction::triggered, this, [this] { onNewSongTriggered(); });
    connectChordChartCommands();
    connect(loadSongAction_, &QAction::triggered, this, [this] { onLoadSongTriggered(); });
    connect(saveSongAction_, &QAction::triggered, this, [this] { onSaveSongTriggered(); });
    connect(saveSongAsAction_, &QAction::triggered, this, [this] { onSaveSongAsTriggered(); });
    connect(loadUserChordsAction_, &QAction::triggered, this,
            [this] { onLoadUserChordsTriggered(); });
    connect(saveUserChordsAction_, &QAction::triggered, this,
            [this] { onSaveUserChordsTriggered(); });
    connect(closeAction_, &QAction::triggered, this, [this] { onCloseTriggered(); });
    connect(exportMusicXmlAction_, &QAction::triggered, this,
            [this] { onExportMusicXmlTriggered(); });
    connect(exportAudioAction_, &QAction::triggered, this, [this] { onExportAudioTriggered(); });
    askAudioExport = [this] { return askAudioExportInDialogs(); };
    connect(clearFretsAction_, &QAction::triggered, this,
            [this] { showGuitarChange(app_.fretboardController.clear()); });
    // "ChordSearch", "Play on setting" and "Position Lock" have no action of their own: their
    // marks switch how the fretboard controller treats the next change.
    GuitarSwitches& switches = app_.fretboardController.switches;
    connect(playOnSettingAction_, &QAction::toggled, this,
            [&switches](bool on) { switches.playOnSetting = on; });
    connect(positionLockAction_, &QAction::toggled, this,
            [&switches](bool on) { switches.positionLock = on; });
    connect(chordSearchAction_, &QAction::toggled, this,
            [&switches](bool on) { switches.chordSearch = on; });
    connect(undoAction_, &QAction::triggered, sequencerPane_, &SequencerPane::undo);
    connect(redoAction_, &QAction::triggered, sequencerPane_, &SequencerPane::redo);
    connect(copyAction_, &QAction::triggered, sequencerPane_, &SequencerPane::copy);
    connect(cutAction_, &QAction::triggered, sequencerPane_, &SequencerPane::cut);
    connect(pasteAction_, &QAction::triggered, sequencerPane_, &SequencerPane::paste);
    connect(importNoteAction_, &QAction::triggered, sequencerPane_, &SequencerPane::enterChord);
    connect(exportNoteAction_, &QAction::triggered, sequencerPane_,
            &SequencerPane::sendToFretboard);
    connect(deleteNoteAction_, &QAction::triggered, sequencerPane_,
            &SequencerPane::deleteSelection);
    connect(stayOnTopAction_, &QAction::triggered, this, [this] { onStayOnTopTriggered(); });
    createPracticeCommands();
    connect(helpAction_, &QAction::triggered, this, [this] { onHelpTriggered(); });
    connect(versionAction_, &QAction::triggered, this, [this] { onVersionTriggered(); });

    createLiveControls();

    openDocument = [](const QString& path) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
}

bool MainWindow::playOnSetting() const {
    return playOnSettingAction_->isChecked();
}
bool MainWindow::positionLock() const {
    return positionLockAction_->isChecked();
}
bool MainWindow::chordSearch() const {
    return chordSearchAction_->isChecked();
}
bool MainWindow::stayOnTop() const {
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void MainWindow::setStayOnTop(bool on) {
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    stayOnTopAction_->setCheckable(true);
    stayOnTopAction_->setChecked(on);
    if (visible)
        show(); // changing the window's style hides it
}

void MainWindow::onStayOnTopTriggered() {
    const int rollMode = rollView_->printModeBox->currentIndex();
    const int chord2 = chordTypeBox_->currentIndex();
    setStayOnTop(!stayOnTop());
    recognizeAndMatch();
    settingControls_ = true;
    rollView_->printModeBox->blockSignals(true);
    rollView_->printModeBox->setCurrentIndex(rollMode);
    rollView_->printModeBox->blockSignals(false);
    chordTypeBox_->setCurrentIndex(chord2);
    settingControls_ = false;
    drawNeck();
}

void MainWindow::onLoadUserChordsTriggered() {
    QFileDialog dialog(this, QStringLiteral("Open UserChord"),
                       QString::fromStdString(app_.chordFile.string()),
                       QStringLiteral("User Chord (*.crd)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile); // a name that does not exist creates the file
    dialog.setDefaultSuffix(QStringLiteral("crd"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    openUserChordFile(dialog.selectedFiles().first());
}

void MainWindow::openUserChordFile(const QString& name) {
    const std::filesystem::path path = name.toStdString();
    // A mistyped name would empty the table, and at close the backup with it.
    if (!pathExists(path) && !ask(QStringLiteral("%1 does not exist. Create it?").arg(name)))
        return;
    app_.chordFile = path;
    const FileResult r = chordBackup_.open(app_.userChords, app_.chordFile, app_.backupChordPath());
    rebuildUserChordList();
    reportChordFile(r);
}

void MainWindow::onSaveUserChordsTriggered() {
    QFileDialog dialog(this, QStringLiteral("Save UserChord"),
                       QString::fromStdString(app_.chordFile.string()),
                       QStringLiteral("User Chord (*.crd)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("crd"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    app_.chordFile = dialog.selectedFiles().first().toStdString();
    if (const FileResult r = saveChordFile(app_.userChords, app_.chordFile); !r.ok())
        reportError(QString::fromStdString(r.message));
}

void MainWindow::onCloseTriggered() {
    if (!endingBySignal() && !maySongBeReplaced())
        return;
    closeAgreed_ = true;
    saveSettings();
    if (!close())
        closeAgreed_ = false;
}

void MainWindow::onHelpTriggered() {
    const std::filesystem::path manual = findManual(
        QDir::currentPath().toStdString(), QCoreApplication::applicationDirPath().toStdString());
    if (manual.empty()) {
        reportError(QStringLiteral("The user's guide manual/Cadenzo.html was found neither in %1 "
                                   "nor where Cadenzo is installed.")
                        .arg(QDir::currentPath()));
        return;
    }
    openDocument(QString::fromStdString(manual.string()));
}

void MainWindow::onVersionTriggered() {
    QMessageBox::information(this, QStringLiteral("Cadenzo"), QString::fromLatin1(PROGRAM_TITLE));
}

} // namespace cadenzo
