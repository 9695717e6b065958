// The menu bar of the main window and the commands that need nothing beyond the window itself.
#include "app/main_form.h"
#include "app/version.h"

#include "app/sequencer_pane.h"
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

void Tmain_form::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    File1 = Menu(bar, "File1", "File(&F)");
    NewSongN1 = Item(File1, "NewSongN1", "New Song(&N)", "Ctrl+N");
    File1->addSeparator();
    LoadUserChordL1 = Item(File1, "LoadUserChordL1", "Open UserChord");
    LoadSong1 = Item(File1, "LoadSong1", "Open Song(&O)", "Ctrl+O");
    File1->addSeparator();
    Savechord1 = Item(File1, "Savechord1", "Save UserChord");
    SaveSongasnew1 = Item(File1, "SaveSongasnew1", "Save Song as new");
    SaveSong1 = Item(File1, "SaveSong1", "Save Song(&S)", "Ctrl+S");
    File1->addSeparator();
    ExportSMFE1 = Item(File1, "ExportSMFE1", "Export SMF(&E)");
    File1->addSeparator();
    Close1 = Item(File1, "Close1", "Close (&X)");

    EditE1 = Menu(bar, "EditE1", "Edit (&E)");
    UndoZ1 = Item(EditE1, "UndoZ1", "Undo (&Z)", "Ctrl+Z");
    EditE1->addSeparator();
    CopyC1 = Item(EditE1, "CopyC1", "Copy (&C)", "Ctrl+C");
    CutX1 = Item(EditE1, "CutX1", "Cut (&X)", "Ctrl+X");
    PasteV1 = Item(EditE1, "PasteV1", "Paste (&V)", "Ctrl+V");
    AllClearonFletQ1 = Item(EditE1, "AllClearonFletQ1", "All Clear on Flet (&F)", "Ctrl+F");
    EditE1->addSeparator();
    Importnote1 = Item(EditE1, "Importnote1", "Import note(&I)", "Ctrl+Q");
    Exportnote1 = Item(EditE1, "Exportnote1", "Export note(&E)", "Ctrl+A");
    DeletenoteD1 = Item(EditE1, "DeletenoteD1", "Delete note(&D)", "Ctrl+D");

    C1 = Menu(bar, "C1", "Chord(&C)");
    Resist1 = Item(C1, "Resist1", "Resist(&R)", "Ctrl+R");
    Edit1 = Item(C1, "Edit1", "Edit(&E)", "Ctrl+E");

    SetUp1 = Menu(bar, "SetUp1", "SetUp(&S)");
    instrument1 = Item(SetUp1, "instrument1", "Instrument (&I)", "Ctrl+I");
    SetUp1->addSeparator();
    Playonsetting1 = Item(SetUp1, "Playonsetting1", "Play on setting", nullptr, true);
    PositionLock1 = Item(SetUp1, "PositionLock1", "Position Lock", nullptr, true);
    ChordSe1 = Item(SetUp1, "ChordSe1", "ChordSearch", nullptr, true);
    Stayontop1 = Item(SetUp1, "Stayontop1", "Stay on top", nullptr, true);
    SetUp1->addSeparator();
    ColorsC1 = Item(SetUp1, "ColorsC1", "Colors(&C)");

    Help1 = Menu(bar, "Help1", "Help(&H)");
    Help2 = Item(Help1, "Help2", "Help (&H)", "Ctrl+H");
    Help1->addSeparator();
    Version2 = Item(Help1, "Version2", "Version (&V)");

    connect(NewSongN1, &QAction::triggered, this, [this] { NewSongN1Click(); });
    connect(LoadSong1, &QAction::triggered, this, [this] { LoadSong1Click(); });
    connect(SaveSong1, &QAction::triggered, this, [this] { SaveSong1Click(); });
    connect(SaveSongasnew1, &QAction::triggered, this, [this] { SaveSongasnew1Click(); });
    connect(LoadUserChordL1, &QAction::triggered, this, [this] { LoadUserChordL1Click(); });
    connect(Savechord1, &QAction::triggered, this, [this] { Savechord1Click(); });
    connect(Close1, &QAction::triggered, this, [this] { Close1Click(); });
    connect(AllClearonFletQ1, &QAction::triggered, this,
            [this] { ShowGuitarChange(app_.fretboardController.clear()); });
    // "ChordSearch", "Play on setting" and "Position Lock" have no action of their own: their
    // marks switch how the fretboard controller treats the next change.
    GuitarSwitches& switches = app_.fretboardController.switches;
    connect(Playonsetting1, &QAction::toggled, this,
            [&switches](bool on) { switches.playOnSetting = on; });
    connect(PositionLock1, &QAction::toggled, this,
            [&switches](bool on) { switches.positionLock = on; });
    connect(ChordSe1, &QAction::toggled, this, [&switches](bool on) { switches.chordSearch = on; });
    connect(UndoZ1, &QAction::triggered, sequencerPane, &SequencerPane::undo);
    connect(CopyC1, &QAction::triggered, sequencerPane, &SequencerPane::copy);
    connect(CutX1, &QAction::triggered, sequencerPane, &SequencerPane::cut);
    connect(PasteV1, &QAction::triggered, sequencerPane, &SequencerPane::paste);
    connect(Importnote1, &QAction::triggered, sequencerPane, &SequencerPane::enterChord);
    connect(Exportnote1, &QAction::triggered, sequencerPane, &SequencerPane::sendToFretboard);
    connect(DeletenoteD1, &QAction::triggered, sequencerPane, &SequencerPane::deleteSelection);
    connect(Stayontop1, &QAction::triggered, this, [this] { Stayontop1Click(); });
    connect(Help2, &QAction::triggered, this, [this] { Help2Click(); });
    connect(Version2, &QAction::triggered, this, [this] { Version2Click(); });

    openDocument = [](const QString& path) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
}

bool Tmain_form::playOnSetting() const {
    return Playonsetting1->isChecked();
}
bool Tmain_form::positionLock() const {
    return PositionLock1->isChecked();
}
bool Tmain_form::chordSearch() const {
    return ChordSe1->isChecked();
}
bool Tmain_form::stayOnTop() const {
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void Tmain_form::SetStayOnTop(bool on) {
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    Stayontop1->setCheckable(true);
    Stayontop1->setChecked(on);
    if (visible)
        show(); // changing the window's style hides it
}

void Tmain_form::Stayontop1Click() {
    const int rollMode = roll->rollPrintMode->currentIndex();
    const int chord2 = Chord2->currentIndex();
    SetStayOnTop(!stayOnTop());
    RecognizeAndMatch();
    settingControls_ = true;
    roll->rollPrintMode->blockSignals(true);
    roll->rollPrintMode->setCurrentIndex(rollMode);
    roll->rollPrintMode->blockSignals(false);
    Chord2->setCurrentIndex(chord2);
    settingControls_ = false;
    DrawNeck();
}

void Tmain_form::LoadUserChordL1Click() {
    QFileDialog dialog(this, QStringLiteral("Open UserChord"),
                       QString::fromStdString(app_.chordFile.string()),
                       QStringLiteral("User Chord (*.crd)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile); // a name that does not exist creates the file
    dialog.setDefaultSuffix(QStringLiteral("crd"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    OpenUserChordFile(dialog.selectedFiles().first());
}

void Tmain_form::OpenUserChordFile(const QString& name) {
    const std::filesystem::path path = name.toStdString();
    // A mistyped name would empty the table, and at close the backup with it.
    if (!std::filesystem::exists(path) &&
        !ask(QStringLiteral("%1 does not exist. Create it?").arg(name)))
        return;
    app_.chordFile = path;
    const FileResult r = LoadChordFile(app_.userChords, app_.chordFile, app_.BackupChordPath());
    RebuildUserChordList();
    ReportChordFile(r);
}

void Tmain_form::Savechord1Click() {
    QFileDialog dialog(this, QStringLiteral("Save UserChord"),
                       QString::fromStdString(app_.chordFile.string()),
                       QStringLiteral("User Chord (*.crd)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("crd"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    app_.chordFile = dialog.selectedFiles().first().toStdString();
    if (const FileResult r = SaveChordFile(app_.userChords, app_.chordFile); !r.ok())
        reportError(QString::fromStdString(r.message));
}

void Tmain_form::Close1Click() {
    SaveSettings();
    close();
}

void Tmain_form::Help2Click() {
    openDocument(QDir::current().filePath(QStringLiteral("manual/Cadenzo.html")));
}

void Tmain_form::Version2Click() {
    QMessageBox::information(this, QStringLiteral("Cadenzo"), QString::fromLatin1(PROGRAM_TITLE));
}

} // namespace cadenzo
