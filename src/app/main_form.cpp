#include "app/main_form.h"
#include "app/version.h"

#include "app/placed_box.h"
#include "app/sequencer_pane.h"
#include "controls/qt_color.h"
#include "controls/shadow_label.h"
#include "controls/shine_speed_button.h"
#include "views/fretboard_view.h"
#include "views/roll_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>

#include <algorithm>

namespace cadenzo {

namespace {

constexpr int kDefaultWidth = 422;
constexpr int kClosedHeight = 270;
constexpr int kOpenHeight = 500;
constexpr int kMinWidth = 400;
constexpr int kMaxWidth = 1300;
constexpr int kRollWidth = 122; // the keyboard picture and the roll scroll bar beside it
constexpr int kRollHeight = 177;
const int kPanelWidths[4] = {80, 80, 140, 50};

QString Caption() {
    return QString::fromLatin1(PROGRAM_TITLE);
}

void ShowBox(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text) {
    ExecPlacedBox(owner, icon, title, text, QMessageBox::Ok);
}

} // namespace

Tmain_form::Tmain_form(AppContext& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName(QStringLiteral("main_form"));
    warn = [this](const QString& text) {
        ShowBox(this, QMessageBox::Warning, QStringLiteral("Cadenzo"), text);
    };
    reportError = [this](const QString& text) {
        ShowBox(this, QMessageBox::Critical, QStringLiteral("Error"), text);
    };
    ask = [this](const QString& text) {
        return ExecPlacedBox(this, QMessageBox::Question, QStringLiteral("Cadenzo"), text,
                             QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    resize(kDefaultWidth, kClosedHeight);
    setMinimumWidth(kMinWidth);
    setMaximumWidth(kMaxWidth);
    setFixedHeight(kClosedHeight);
    // The window sees every key before the control that has the focus.
    qApp->installEventFilter(this);
}

Tmain_form::~Tmain_form() {
    // The engine outlives the window: it must not report to a window that is gone.
    app_.playback.StopPlayTimer();
    app_.playback.setListener(nullptr);
}

void Tmain_form::FormCreate(const QString& fileName) {
    formBusy_ = true;                               // 1
    setAcceptDrops(true);                           // 2
    app_.songFile = app_.chordFile = app_.startDir; // 3
    CreateControls();
    CreateMenus();
    ConnectDialogCommands();
    CreateStatusBar();
    LoadSettings();                                                        // 4
    app_.playback.NewSong();                                               // 5
    ReportChordFile(LoadChordFile(app_.userChords, app_.BackupChordPath(), // 6
                                  app_.BackupChordPath()));
    RebuildUserChordList();
    setWindowTitle(Caption()); // 7
    FormResize();              // 8: lay out for the width in force
    settingControls_ = true;   // 9
    Chord1->setCurrentIndex(0);
    Chord2->setCurrentIndex(0);
    Position_L->setChecked(true);
    usr->setCurrentIndex(0);
    settingControls_ = false;
    RefreshRoll();     // 10, 11: the neck picture is drawn
    DrawNeck();        //     with the view; then the first draws
    formBusy_ = false; // 12
    statusPanel[0]->setText(QString::fromStdString(
        app_.song.PositionText(app_.song.edit.viewStartTick + app_.song.edit.anchorTick))); // 13
    statusPanel[1]->clear();
    app_.song.edit.tripletGrid = 0;
    app_.song.edit.stepIndex = 3;
    sequencerPane->start();
    OpenFileByName(fileName); // 14
    show();                   // 15
    FormResize(); // the neck rule for the width in force, also when no resize event comes
    repaint();
    app_.port.midiOpenResult = app_.port.MidiOpen(); // 16
    if (app_.port.midiOpenResult != MidiStatus::Ok)
        warn(QString::fromLatin1(MidiOpenWarning(app_.port.midiOpenResult)));
    else
        app_.port.ProgramChange(); // clicks and strums sound the chosen instrument from the start
}

void Tmain_form::CreateControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);

    backGround = new TShadowLabel(central);
    backGround->setObjectName(QStringLiteral("backGround"));
    backGround->setGradateVert(true);
    backGround->setMouseTracking(true);
    backGround->installEventFilter(this);

    fretboard = std::make_unique<FretboardView>(central, app_.guitar, app_.fretboardController);
    roll = std::make_unique<RollView>(central, app_.guitar);
    connect(fretboard.get(), &FretboardView::guitarChanged, this, &Tmain_form::ShowGuitarChange);
    // A redrawn roll view clears the neck's hover.
    connect(roll.get(), &RollView::refreshed, fretboard.get(), &FretboardView::LeaveNeck);

    Chord1 = new QComboBox(central);
    Chord1->setObjectName(QStringLiteral("Chord1"));
    for (const char* item : chord1Items)
        Chord1->addItem(QString::fromLatin1(item));
    Chord1->setToolTip(QStringLiteral("Set Chord"));
    Chord2 = new QComboBox(central);
    Chord2->setObjectName(QStringLiteral("Chord2"));
    for (const char* item : chord2Items)
        Chord2->addItem(QString::fromLatin1(item));
    Chord2->setToolTip(QStringLiteral("Set Chord"));
    connect(Chord1, &QComboBox::activated, this, [this] { Chord1Change(); });
    connect(Chord2, &QComboBox::activated, this, [this] { Chord2Change(); });
    // The controller names chords from what the lists show, however they came to show it.
    for (QComboBox* list : {Chord1, Chord2})
        connect(list, &QComboBox::currentIndexChanged, this,
                [this] { app_.fretboardController.showChordLists(ChordShown()); });

    Position = new QGroupBox(QStringLiteral("Position"), central);
    Position->setObjectName(QStringLiteral("Position"));
    const char* names[] = {"Position_L", "Position_M", "Position_H"};
    const char* captions[] = {"L", "M", "H"};
    QRadioButton* radios[3];
    for (int p = 0; p < 3; ++p) {
        radios[p] = new QRadioButton(QString::fromLatin1(captions[p]), Position);
        radios[p]->setObjectName(QString::fromLatin1(names[p]));
        radios[p]->setGeometry(6 + 38 * p, 16, 36, 18);
        connect(radios[p], &QRadioButton::clicked, this, [this, p] { Position_Click(p); });
    }
    Position_L = radios[0];
    Position_M = radios[1];
    Position_H = radios[2];

    usr = new QComboBox(central);
    usr->setObjectName(QStringLiteral("usr"));
    usr->setToolTip(QStringLiteral("User Defined Chord"));
    connect(usr, &QComboBox::activated, this, [this](int index) { usrChange(index); });
    connect(usr, &QComboBox::currentIndexChanged, this,
            [this](int index) { app_.fretboardController.showUserChord(index); });

    const auto button = [central](const char* name, const char* caption) {
        auto* b = new TShineSpeedButton(central);
        b->setObjectName(QString::fromLatin1(name));
        b->setCaption(QString::fromLatin1(caption));
        return b;
    };
    DownStBtn = button("DownStBtn", "Down");
    DownStBtn->setToolTip(QStringLiteral("Down Stroke"));
    UpStBtn = button("UpStBtn", "Up");
    UpStBtn->setToolTip(QStringLiteral("Up Stroke"));
    MuteBtn = button("MuteBtn", "Mute");
    MuteBtn->setToolTip(QStringLiteral("All Note Off"));
    stClrBtn = button("stClrBtn", "Clr");
    stClrBtn->setToolTip(QStringLiteral("All Clear on Flet"));
    SeqBtn = button("SeqBtn", "Seq");
    SeqBtn->setToolTip(QStringLiteral("Sequencer"));
    SeqBtn->setAllowAllUp(true);
    connect(SeqBtn, &TShineSpeedButton::OnClick, this, [this] { SeqBtnClick(); });
    connect(stClrBtn, &TShineSpeedButton::OnClick, this,
            [this] { ShowGuitarChange(app_.fretboardController.clear()); });
    WireStrumButtons();

    // The font colour of the scheme is kept by this label of the sequencer pane.
    l_sig = new TShadowLabel(central);
    l_sig->setObjectName(QStringLiteral("l_sig"));
    l_sig->setCaption(QStringLiteral("Time Sig."));
    l_sig->setTransparent(true);
    l_sig->hide();
    sequencerPane = new SequencerPane(app_, statusPanel, l_sig,
                                      {[this] { return ChordShown(); },
                                       [this] {
                                           fretboard->SetNeckBarPosition(app_.guitar.neckPos);
                                           DrawNeck();
                                           RecognizeAndMatch();
                                           RefreshRoll();
                                       },
                                       [this](const QString& text) { warn(text); }},
                                      central);
    sequencerPane->setVisible(seqPane_ != 0);

    // The background takes the mouse between the controls (the neck's hover is cleared there)
    // and lies under every control.
    backGround->lower();
}

void Tmain_form::CreateStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 4; ++i) {
        statusPanel[i] = new QLabel(bar);
        statusPanel[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        statusPanel[i]->setFixedWidth(kPanelWidths[i]);
        statusPanel[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(statusPanel[i]);
    }
    statusPanel[2]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setStatusBar(bar);
}

void Tmain_form::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

// Everything to the right follows the window's width; the neck shows as many fret columns as
// fit.
void Tmain_form::FormResize() {
    if (formBusy_ && Chord1 == nullptr)
        return;
    const int w = width();
    const int neckWidth = w - 186;
    fretboard->OpenGen->setGeometry(4, 26, 18, 101);
    fretboard->NeckScreen->setGeometry(24, 4, neckWidth, NECK_SCREEN_HEIGHT);
    fretboard->neckBar->setGeometry(24, 127, w - 234, 17);
    fretboard->playnote->setGeometry(w - 208, 126, 44, 19);
    const int rollLeft = w - (kRollWidth + 25);
    roll->rollScreen->setGeometry(rollLeft, 4, kRollWidth, kRollHeight);
    roll->rollbar->setGeometry(w - 42, 4, 17, kRollHeight);
    roll->rollPrintMode->setGeometry(rollLeft, kRollHeight + 7, kRollWidth, 22);
    Chord1->setGeometry(4, 148, 54, 22);
    Chord2->setGeometry(60, 148, 74, 22);
    usr->setGeometry(136, 148, 124, 22);
    Position->setGeometry(4, 172, 124, 38);
    DownStBtn->setGeometry(132, 176, 38, 32);
    UpStBtn->setGeometry(172, 176, 38, 32);
    MuteBtn->setGeometry(212, 176, 34, 32);
    stClrBtn->setGeometry(248, 176, 24, 16);
    SeqBtn->setGeometry(248, 193, 24, 16);
    sequencerPane->layoutForWidth(w);
    if (statusBar() != nullptr)
        statusBar()->setFixedWidth(w - 8);
    const int paneExtra = seqPane_ != 0 ? 20 : 0;
    backGround->setGeometry(0, 0, w, height() - 46 + paneExtra);

    if (formBusy_)
        return;
    ShowGuitarChange(app_.fretboardController.resizeNeck(neckWidth));
}

void Tmain_form::SetSeqPane(int state) {
    seqPane_ = state != 0 ? 1 : 0;
    setFixedHeight(seqPane_ != 0 ? kOpenHeight : kClosedHeight);
    for (QAction* item :
         {EditE1->menuAction(), NewSongN1, LoadSong1, SaveSongasnew1, SaveSong1, ExportSMFE1})
        item->setEnabled(seqPane_ != 0);
    SeqBtn->setGroupIndex(seqPane_);
    SeqBtn->setDown(seqPane_ != 0);
    sequencerPane->setVisible(seqPane_ != 0);
    FormResize();
}

// A failed read or write is an error; a read that succeeded with a notice (a file holding more
// chords than the table) is a warning.
void Tmain_form::ReportChordFile(const FileResult& result) {
    if (!result.ok())
        reportError(QString::fromStdString(result.message));
    else if (!result.message.empty())
        warn(QString::fromStdString(result.message));
}

void Tmain_form::SeqBtnClick() {
    SetSeqPane(seqPane_ != 0 ? 0 : 1);
}

void Tmain_form::ShowGuitarChange(const GuitarChange& change) {
    if (change.chordLists)
        ShowChordSelection(*change.chordLists);
    if (change.userChord)
        usr->setCurrentIndex(*change.userChord);
    fretboard->ShowChange(change);
    if (change.roll)
        roll->RefreshRoll();
}

void Tmain_form::DrawNeck() {
    fretboard->DrawNeck();
}

void Tmain_form::RefreshRoll() {
    ShowGuitarChange(app_.fretboardController.refreshNotes());
}

void Tmain_form::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void Tmain_form::FormClose() {
    app_.playback.StopPlayTimer();
    app_.port.AllNoteOff();
    formBusy_ = true;
    SaveSettings();
    if (const FileResult r = SaveChordFile(app_.userChords, app_.BackupChordPath()); !r.ok())
        reportError(QString::fromStdString(r.message));
    app_.port.Close();
}

// ---- Settings ---------------------------------------------------------------------------------

Settings Tmain_form::CurrentSettings() const {
    Settings s;
    s.seqBtnGroup = SeqBtn->GroupIndex();
    // The frame's place, which move() restores: the client area's would walk by the title bar
    // and the border at every start.
    s.top = pos().y();
    s.left = pos().x();
    s.width = width();
    s.height = height();
    s.backGroundBtm = static_cast<std::int32_t>(backGround->Color());
    s.backGroundTop = static_cast<std::int32_t>(backGround->GradationColor());
    s.buttonBtm = static_cast<std::int32_t>(SeqBtn->Colors().GradColor());
    s.buttonTop = static_cast<std::int32_t>(SeqBtn->Colors().Color());
    s.fontColor = static_cast<std::int32_t>(l_sig->FontColor());
    s.midiChannel = app_.midiSetup.midiChannel;
    s.midiProgram = app_.midiSetup.midiProgram;
    s.midiVelocity = app_.midiSetup.midiVelocity;
    s.midiDevice = app_.midiSetup.midiDevice;
    s.playOnSetting = playOnSetting();
    s.stayOnTop = stayOnTop();
    s.chordSearch = chordSearch();
    s.rollPrintMode = roll->rollPrintMode->currentIndex();
    s.widthAgain = width();
    s.tuning = app_.guitar.tunings();
    return s;
}

// Puts the first-run state in force on the window (the file of defaults has just been written).
static void PutDefaultsInForce(Tmain_form& form, const Settings& d) {
    form.move(d.left, d.top);
    form.ApplyColorScheme(true, static_cast<TColor>(d.backGroundBtm),
                          static_cast<TColor>(d.fontColor), static_cast<TColor>(d.buttonTop),
                          static_cast<TColor>(d.buttonBtm), static_cast<TColor>(d.backGroundTop));
    form.SetSeqPane(0);
}

bool Tmain_form::SaveSettings() {
    const SettingsSave save = SaveSettingsFile(app_.SettingsPath(), CurrentSettings());
    if (save.defaultsWritten) {
        const Settings& d = save.written;
        app_.midiSetup.midiChannel = d.midiChannel;
        app_.midiSetup.midiProgram = d.midiProgram;
        app_.midiSetup.midiVelocity = d.midiVelocity;
        app_.midiSetup.midiDevice = d.midiDevice;
        Playonsetting1->setChecked(d.playOnSetting);
        SetStayOnTop(d.stayOnTop);
        ChordSe1->setChecked(d.chordSearch);
        roll->rollPrintMode->setCurrentIndex(d.rollPrintMode);
        ShowGuitarChange(app_.fretboardController.changeTuning(d.tuning));
        PutDefaultsInForce(*this, d);
    }
    if (!save.result.ok())
        reportError(QString::fromStdString(save.result.message));
    return save.result.ok();
}

void Tmain_form::LoadSettings() {
    // The three switches start unchecked; only a line reading exactly "True" checks them.
    Playonsetting1->setChecked(false);
    Stayontop1->setChecked(false);
    ChordSe1->setChecked(false);
    const SettingsLoad load = LoadSettingsFile(app_.SettingsPath(), width());
    if (load.defaultsWritten)
        PutDefaultsInForce(*this, DefaultSettings(width()));
    ApplySettings(load, *this);
    if (!load.complete())
        reportError(QString::fromStdString(load.result.message));
}

void Tmain_form::setSeqBtnGroup(std::int32_t group) {
    SeqBtn->setGroupIndex(group);
    SeqBtn->setDown(group != 0);
}
void Tmain_form::setWindowTop(std::int32_t top) {
    move(x(), top);
}
void Tmain_form::setWindowLeft(std::int32_t left) {
    move(left, y());
}
void Tmain_form::setWindowWidth(std::int32_t w) {
    resize(w, height());
}
void Tmain_form::setWindowHeight(std::int32_t h) {
    // The height is fixed by the pane; the stored one lasts only until SetSeqPane, and stays
    // within the pane's two heights meanwhile.
    setFixedHeight(std::clamp(h, kClosedHeight, kOpenHeight));
}
void Tmain_form::applyColorScheme(std::int32_t backGroundBtm, std::int32_t backGroundTop,
                                  std::int32_t buttonBtm, std::int32_t buttonTop,
                                  std::int32_t fontColor) {
    ApplyColorScheme(true, static_cast<TColor>(backGroundBtm), static_cast<TColor>(fontColor),
                     static_cast<TColor>(buttonTop), static_cast<TColor>(buttonBtm),
                     static_cast<TColor>(backGroundTop));
}
void Tmain_form::setMidiChannel(std::uint8_t v) {
    app_.midiSetup.midiChannel = v;
}
void Tmain_form::setMidiProgram(std::uint8_t v) {
    app_.midiSetup.midiProgram = v;
}
void Tmain_form::setMidiVelocity(std::uint8_t v) {
    app_.midiSetup.midiVelocity = v;
}
void Tmain_form::setMidiDevice(std::uint8_t v) {
    app_.midiSetup.midiDevice = v;
}
void Tmain_form::checkPlayOnSetting() {
    Playonsetting1->setChecked(true);
}
void Tmain_form::checkStayOnTop() {
    SetStayOnTop(true);
}
void Tmain_form::checkChordSearch() {
    ChordSe1->setChecked(true);
}
void Tmain_form::setRollPrintMode(std::int32_t itemIndex) {
    const QSignalBlocker quiet(roll->rollPrintMode);
    roll->rollPrintMode->setCurrentIndex(itemIndex);
}
void Tmain_form::setTuning(int string, std::uint8_t value) {
    app_.guitar.tuning[string] = value;
}
void Tmain_form::setSeqPane(std::int32_t group) {
    SetSeqPane(group);
}

// ---- Colour scheme ----------------------------------------------------------------------------

void Tmain_form::ApplyColorScheme(bool gradation, TColor backGroundBtm, TColor fontColor,
                                  TColor buttonTop, TColor buttonBtm, TColor backGroundTop) {
    backGround->setGradation(gradation);
    backGround->setColor(backGroundBtm);
    backGround->setGradationColor(backGroundTop);
    for (TShineSpeedButton* b : {DownStBtn, UpStBtn, SeqBtn, MuteBtn, stClrBtn}) {
        for (TShineBtnColors* set : {&b->Colors(), &b->PressedColors()}) {
            set->setGradation(gradation);
            set->setGradVertical(true);
            set->setGradColor(buttonBtm);
            set->setColor(buttonTop);
        }
    }
    const QColor field = ToQColor(buttonBtm, palette());
    const QColor text = ToQColor(fontColor, palette());
    for (QWidget* w : std::initializer_list<QWidget*>{Chord1, Chord2, usr, roll->rollPrintMode,
                                                      fretboard->playnote, Position, Position_L,
                                                      Position_M, Position_H}) {
        QPalette p = w->palette();
        for (auto role : {QPalette::Base, QPalette::Button, QPalette::Window})
            p.setColor(role, field);
        for (auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
            p.setColor(role, text);
        w->setAutoFillBackground(true);
        w->setPalette(p);
    }
    for (TShineSpeedButton* b : {SeqBtn, stClrBtn, MuteBtn})
        b->setFontColor(fontColor);
    l_sig->setFontColor(fontColor);
    sequencerPane->applyColorScheme(gradation, fontColor, buttonTop, buttonBtm);
}

} // namespace cadenzo
