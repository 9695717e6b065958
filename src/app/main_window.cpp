#include "app/main_window.h"
#include "app/version.h"

#include "app/placed_box.h"
#include "app/sequencer_pane.h"
#include "app/startup_trace.h"
#include "app/termination_signals.h"
#include "app/window_place.h"
#include "controls/qt_color.h"
#include "controls/shadow_label.h"
#include "controls/shine_speed_button.h"
#include "dialogs/instrument_setup.h"
#include "files/atomic_file.h"
#include "files/recovery.h"
#include "views/fretboard_view.h"
#include "views/roll_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QWindow>

#include <algorithm>

namespace cadenzo {

namespace {

constexpr int DEFAULT_WIDTH = 422;
constexpr int CLOSED_HEIGHT = 270;
constexpr int OPEN_HEIGHT = 500;
constexpr int MIN_WIDTH = 400;
constexpr int MAX_WIDTH = 1300;
constexpr int ROLL_WIDTH = 122; // the keyboard picture and the roll scroll bar beside it
constexpr int ROLL_HEIGHT = 177;
constexpr int CHORD_CONTROLS_RIGHT = 274; // right of Clr and Seq, with a gap
const int kPanelWidths[4] = {80, 80, 140, 50};

// The caption, with the place where Qt shows the mark of a song with unsaved changes.
QString caption() {
    return QString::fromLatin1(PROGRAM_TITLE) + QStringLiteral("[*]");
}

void showBox(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text) {
    execPlacedBox(owner, icon, title, text, QMessageBox::Ok);
}

} // namespace

MainWindow::MainWindow(AppContext& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName(QStringLiteral("main_form"));
    warn = [this](const QString& text) {
        showBox(this, QMessageBox::Warning, QStringLiteral("Cadenzo"), text);
    };
    reportError = [this](const QString& text) {
        showBox(this, QMessageBox::Critical, QStringLiteral("Error"), text);
    };
    ask = [this](const QString& text) {
        return execPlacedBox(this, QMessageBox::Question, QStringLiteral("Cadenzo"), text,
                             QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    createUnsavedSongWatch();
    resize(DEFAULT_WIDTH, CLOSED_HEIGHT);
    setMinimumWidth(MIN_WIDTH);
    setMaximumWidth(MAX_WIDTH);
    setFixedHeight(CLOSED_HEIGHT);
    // The window sees every key before the control that has the focus.
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
    stopAudioExport();
    // The engine outlives the window: it must not report to a window that is gone.
    app_.playback.stopPlayTimer();
    app_.playback.setListener(nullptr);
}

void MainWindow::start(const QString& fileName) {
    starting_ = true;                               // 1
    setAcceptDrops(true);                           // 2
    app_.songFile = app_.chordFile = app_.startDir; // 3
    createControls();
    createMenus();
    connectDialogCommands();
    createStatusBar();
    markStartup("controls");
    // A folder the user may not write in is told at once, also when no file had to be written.
    gathering_.emplace(FileReports{{}, !folderWritable(app_.startDir)});
    loadSettings(); // 4
    loadPreferences();
    // The built-in synthesizer reads its SoundFont while the window is built; the device still
    // opens last.
    app_.port.out().prepare(app_.midiSetup.midiDevice);
    app_.playback.resetSong();                                                          // 5
    reportChordFile(chordBackup_.loadAtStart(app_.userChords, app_.backupChordPath())); // 6
    showGatheredReports(
        QStringLiteral("Cadenzo cannot write in its folder \"%1\": changes to the settings and "
                       "the user chords will not be saved.")
            .arg(QString::fromStdString(app_.startDir.string())));
    rebuildUserChordList();
    setWindowTitle(caption()); // 7
    layoutForWidth();          // 8: lay out for the width in force
    settingControls_ = true;   // 9
    chordRootBox_->setCurrentIndex(0);
    chordTypeBox_->setCurrentIndex(0);
    positionLowRadio_->setChecked(true);
    userChordBox_->setCurrentIndex(0);
    settingControls_ = false;
    refreshRollView(); // 10, 11: the neck picture is drawn
    drawNeck();        //     with the view; then the first draws
    markStartup("drawn");
    starting_ = false; // 12
    statusPanels_[0]->setText(QString::fromStdString(
        app_.song.positionText(app_.song.edit.viewStartTick + app_.song.edit.anchorTick))); // 13
    statusPanels_[1]->clear();
    app_.song.edit.tripletGrid = 0;
    app_.song.edit.stepIndex = 3;
    sequencerPane_->start();
    markSongClean();
    offerRecovery();
    openFileByName(fileName); // 14
    markStartup("song");
    show();           // 15
    layoutForWidth(); // the neck rule for the width in force, also when no resize event comes
    showPainted();
    markStartup("shown");
    // The device chosen by name: its number may have moved since the settings were saved.
    followDeviceName(listOutputDevices(*app_.midiOut).names, app_.midiSetup);
    app_.port.midiOpenResult = app_.port.midiOpen(); // 16
    markStartup("device");
    if (app_.port.midiOpenResult != MidiStatus::Ok)
        warn(QString::fromStdString(app_.port.midiOpenMessage(app_.port.midiOpenResult)));
    else
        app_.port.programChange(); // clicks and strums sound the chosen instrument from the start
}

// Opening the sound device (the built-in synthesizer's SoundFont and its audio output) takes
// longer than all the start-up before it. Until the window manager has framed and exposed the
// window, what the window paints is not on screen; so the window waits here for that, and for its
// first painting to reach the display, before the device opens: the user sees the complete window
// first, and a device error comes over it. Input that arrives meanwhile waits for the event loop;
// a display that never exposes the window holds the start for two seconds at most.
void MainWindow::showPainted() {
    QElapsedTimer waited;
    waited.start();
    constexpr auto NO_INPUT = QEventLoop::ExcludeUserInputEvents;
    while ((windowHandle() == nullptr || !windowHandle()->isExposed()) && waited.elapsed() < 2000)
        QCoreApplication::processEvents(NO_INPUT | QEventLoop::WaitForMoreEvents, 20);
    repaint();
    QCoreApplication::processEvents(NO_INPUT); // sends the painting to the display
}

void MainWindow::createControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);

    background_ = new ShadowLabel(central);
    background_->setObjectName(QStringLiteral("backGround"));
    background_->setGradateVert(true);
    background_->setMouseTracking(true);
    background_->installEventFilter(this);

    fretboard_ = std::make_unique<FretboardView>(central, app_.guitar, app_.fretboardController);
    rollView_ = std::make_unique<RollView>(central, app_.guitar);
    connect(fretboard_.get(), &FretboardView::guitarChanged, this, &MainWindow::showGuitarChange);
    // A redrawn roll view clears the neck's hover.
    connect(rollView_.get(), &RollView::refreshed, fretboard_.get(),
            &FretboardView::clearNeckHover);

    chordRootBox_ = new QComboBox(central);
    chordRootBox_->setObjectName(QStringLiteral("Chord1"));
    for (const char* item : chord1Items)
        chordRootBox_->addItem(QString::fromLatin1(item));
    chordRootBox_->setToolTip(QStringLiteral("Set Chord"));
    chordTypeBox_ = new QComboBox(central);
    chordTypeBox_->setObjectName(QStringLiteral("Chord2"));
    for (const char* item : chord2Items)
        chordTypeBox_->addItem(QString::fromLatin1(item));
    chordTypeBox_->setToolTip(QStringLiteral("Set Chord"));
    connect(chordRootBox_, &QComboBox::activated, this, [this] { onChordRootChanged(); });
    connect(chordTypeBox_, &QComboBox::activated, this, [this] { onChordTypeChanged(); });
    // The controller names chords from what the lists show, however they came to show it.
    for (QComboBox* list : {chordRootBox_, chordTypeBox_})
        connect(list, &QComboBox::currentIndexChanged, this,
                [this] { app_.fretboardController.showChordLists(chordShown()); });

    positionGroup_ = new QGroupBox(QStringLiteral("Position"), central);
    positionGroup_->setObjectName(QStringLiteral("Position"));
    const char* names[] = {"Position_L", "Position_M", "Position_H"};
    const char* captions[] = {"L", "M", "H"};
    QRadioButton* radios[3];
    for (int p = 0; p < 3; ++p) {
        radios[p] = new QRadioButton(QString::fromLatin1(captions[p]), positionGroup_);
        radios[p]->setObjectName(QString::fromLatin1(names[p]));
        radios[p]->setGeometry(6 + 38 * p, 16, 36, 18);
        connect(radios[p], &QRadioButton::clicked, this, [this, p] { onPositionClicked(p); });
    }
    positionLowRadio_ = radios[0];
    positionMiddleRadio_ = radios[1];
    positionHighRadio_ = radios[2];

    userChordBox_ = new QComboBox(central);
    userChordBox_->setObjectName(QStringLiteral("usr"));
    userChordBox_->setToolTip(QStringLiteral("User Defined Chord"));
    connect(userChordBox_, &QComboBox::activated, this,
            [this](int index) { onUserChordChosen(index); });
    connect(userChordBox_, &QComboBox::currentIndexChanged, this,
            [this](int index) { app_.fretboardController.showUserChord(index); });

    const auto button = [central](const char* name, const char* caption) {
        auto* b = new ShineSpeedButton(central);
        b->setObjectName(QString::fromLatin1(name));
        b->setCaption(QString::fromLatin1(caption));
        return b;
    };
    downStrokeButton_ = button("DownStBtn", "Down");
    downStrokeButton_->setToolTip(QStringLiteral("Down Stroke"));
    upStrokeButton_ = button("UpStBtn", "Up");
    upStrokeButton_->setToolTip(QStringLiteral("Up Stroke"));
    muteButton_ = button("MuteBtn", "Mute");
    muteButton_->setToolTip(QStringLiteral("All Note Off"));
    clearFretsButton_ = button("stClrBtn", "Clr");
    clearFretsButton_->setToolTip(QStringLiteral("All Clear on Flet"));
    sequencerButton_ = button("SeqBtn", "Seq");
    sequencerButton_->setToolTip(QStringLiteral("Sequencer"));
    sequencerButton_->setAllowAllUp(true);
    connect(sequencerButton_, &ShineSpeedButton::clicked, this,
            [this] { onSequencerButtonClicked(); });
    connect(clearFretsButton_, &ShineSpeedButton::clicked, this,
            [this] { showGuitarChange(app_.fretboardController.clear()); });
    wireStrumButtons();

    // The font colour of the scheme is kept by this label of the sequencer pane.
    timeSignatureLabel_ = new ShadowLabel(central);
    timeSignatureLabel_->setObjectName(QStringLiteral("l_sig"));
    timeSignatureLabel_->setCaption(QStringLiteral("Time Sig."));
    timeSignatureLabel_->setTransparent(true);
    timeSignatureLabel_->hide();
    sequencerPane_ = new SequencerPane(app_, statusPanels_, timeSignatureLabel_,
                                       {[this] { return chordShown(); },
                                        [this] {
                                            fretboard_->setNeckBarPosition(app_.guitar.neckPos);
                                            drawNeck();
                                            recognizeAndMatch();
                                            refreshRollView();
                                        },
                                        [this](const QString& text) { warn(text); }},
                                       central);
    sequencerPane_->setVisible(seqPane_ != 0);

    // The background takes the mouse between the controls (the neck's hover is cleared there)
    // and lies under every control.
    background_->lower();
}

void MainWindow::createStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 4; ++i) {
        statusPanels_[i] = new QLabel(bar);
        statusPanels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        statusPanels_[i]->setFixedWidth(kPanelWidths[i]);
        statusPanels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(statusPanels_[i]);
    }
    statusPanels_[2]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setStatusBar(bar);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutForWidth();
}

// Everything to the right follows the window's width; the neck shows as many fret columns as
// fit.
void MainWindow::layoutForWidth() {
    if (starting_ && chordRootBox_ == nullptr)
        return;
    const int w = width();
    const int neckWidth = w - 186;
    fretboard_->openStringsArea->setGeometry(4, 26, 18, 101);
    fretboard_->neckArea->setGeometry(24, 4, neckWidth, NECK_SCREEN_HEIGHT);
    fretboard_->neckScrollBar->setGeometry(24, 127, w - 234, 17);
    fretboard_->hoverNoteEdit->setGeometry(w - 208, 126, 44, 19);
    const int rollLeft = w - (ROLL_WIDTH + 25);
    // Narrower than the default width, the roll column reaches over the right end of the chord
    // controls: the user chord list gets shorter, Clr and Seq move below the roll picture and
    // the mode list starts right of them.
    const int squeeze = std::max(0, CHORD_CONTROLS_RIGHT - rollLeft);
    rollView_->rollImage->setGeometry(rollLeft, 4, ROLL_WIDTH, ROLL_HEIGHT);
    rollView_->rollScrollBar->setGeometry(w - 42, 4, 17, ROLL_HEIGHT);
    rollView_->printModeBox->setGeometry(rollLeft + squeeze, ROLL_HEIGHT + 7, ROLL_WIDTH - squeeze,
                                         22);
    chordRootBox_->setGeometry(4, 148, 54, 22);
    chordTypeBox_->setGeometry(60, 148, 74, 22);
    userChordBox_->setGeometry(136, 148, std::min(124, rollLeft - 138), 22);
    positionGroup_->setGeometry(4, 172, 124, 38);
    downStrokeButton_->setGeometry(132, 176, 38, 32);
    upStrokeButton_->setGeometry(172, 176, 38, 32);
    muteButton_->setGeometry(212, 176, 34, 32);
    const int clearTop = squeeze > 0 ? ROLL_HEIGHT + 4 : 176;
    const int smallHeight = squeeze > 0 ? 15 : 16; // Seq still ends above the sequencer pane
    clearFretsButton_->setGeometry(248, clearTop, 24, smallHeight);
    sequencerButton_->setGeometry(248, clearTop + smallHeight + 1, 24, smallHeight);
    sequencerPane_->layoutForWidth(w);
    if (statusBar() != nullptr)
        statusBar()->setFixedWidth(w - 8);
    const int paneExtra = seqPane_ != 0 ? 20 : 0;
    background_->setGeometry(0, 0, w, height() - 46 + paneExtra);

    if (starting_)
        return;
    showGuitarChange(app_.fretboardController.resizeNeck(neckWidth));
}

void MainWindow::showSequencerPane(int state) {
    seqPane_ = state != 0 ? 1 : 0;
    setFixedHeight(seqPane_ != 0 ? OPEN_HEIGHT : CLOSED_HEIGHT);
    // The Edit menu is switched as a widget: a window enabled again after a dialog leaves a
    // menu disabled on purpose alone, whereas the menu's title alone would come back with it.
    // Its song commands are switched too, since the shortcuts of a disabled menu's commands still
    // act; "All Clear on Flet" works on the fretboard, which is always there.
    editMenu_->setEnabled(seqPane_ != 0);
    QList<QAction*> items = editMenu_->actions();
    items.removeOne(clearFretsAction_);
    items << newSongAction_ << loadSongAction_ << saveSongAsAction_ << saveSongAction_
          << exportSmfAction_ << exportMusicXmlAction_ << importChartAction_
          << exportChordProAction_;
    for (QAction* item : items)
        item->setEnabled(seqPane_ != 0);
    sequencerButton_->setGroupIndex(seqPane_);
    sequencerButton_->setDown(seqPane_ != 0);
    sequencerPane_->setVisible(seqPane_ != 0);
    layoutForWidth();
}

// A failed read or write is an error; a read that succeeded with a notice (a file holding more
// chords than the table) is a warning.
void MainWindow::reportChordFile(const FileResult& result) {
    if (!result.ok())
        reportFileFailure(result);
    else if (!result.message.empty())
        warn(QString::fromStdString(result.message));
}

void MainWindow::reportFileFailure(const FileResult& result) {
    const QString text = QString::fromStdString(result.message);
    if (!gathering_) {
        reportError(text);
        return;
    }
    gathering_->texts << text;
    gathering_->writeFailed = gathering_->writeFailed || result.failure == FileFailure::Write;
}

void MainWindow::showGatheredReports(const QString& writeLead) {
    const FileReports reports = std::move(*gathering_);
    gathering_.reset();
    QStringList texts = reports.texts;
    if (reports.writeFailed && !writeLead.isEmpty())
        texts.prepend(writeLead);
    if (!texts.isEmpty())
        reportError(texts.join(QStringLiteral("\n\n")));
}

void MainWindow::onSequencerButtonClicked() {
    showSequencerPane(seqPane_ != 0 ? 0 : 1);
}

void MainWindow::showGuitarChange(const GuitarChange& change) {
    if (change.chordLists)
        showChordSelection(*change.chordLists);
    if (change.userChord)
        userChordBox_->setCurrentIndex(*change.userChord);
    fretboard_->showChange(change);
    if (change.roll)
        rollView_->refreshRollView();
}

void MainWindow::drawNeck() {
    fretboard_->drawNeck();
}

void MainWindow::refreshRollView() {
    showGuitarChange(app_.fretboardController.refreshNotes());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // An end by signal cannot ask: the song is kept as a recovery copy instead.
    if (!closeAgreed_ && !endingBySignal() && !maySongBeReplaced()) {
        event->ignore();
        return;
    }
    prepareToClose();
    event->accept();
}

void MainWindow::prepareToClose() {
    markClosingSaveStarted();
    app_.playback.stopPlayTimer();
    app_.port.allNoteOff();
    starting_ = true;
    recoveryTimer_->stop();
    if (endingBySignal() && songChanged())
        keepRecoveryCopy();
    else
        recovery_->forget();
    recovery_->flush();
    gathering_.emplace();
    saveSettings();
    savePreferences();
    if (const FileResult r = chordBackup_.saveAtClose(app_.userChords, app_.backupChordPath());
        !r.ok())
        reportFileFailure(r);
    showGatheredReports({});
    app_.port.close();
}

// ---- Settings ---------------------------------------------------------------------------------

Settings MainWindow::currentSettings() const {
    Settings s;
    s.seqBtnGroup = sequencerButton_->groupIndex();
    // The frame's place, which move() restores: the client area's would walk by the title bar
    // and the border at every start.
    s.top = pos().y();
    s.left = pos().x();
    s.width = width();
    s.height = height();
    s.backGroundBtm = static_cast<std::int32_t>(background_->color());
    s.backGroundTop = static_cast<std::int32_t>(background_->gradationColor());
    s.buttonBtm = static_cast<std::int32_t>(sequencerButton_->colors().gradColor());
    s.buttonTop = static_cast<std::int32_t>(sequencerButton_->colors().color());
    s.fontColor = static_cast<std::int32_t>(timeSignatureLabel_->fontColor());
    s.midiChannel = app_.midiSetup.midiChannel;
    s.midiProgram = app_.midiSetup.midiProgram;
    s.midiVelocity = app_.midiSetup.midiVelocity;
    s.midiDevice = app_.midiSetup.midiDevice;
    s.midiDeviceName = app_.midiSetup.midiDeviceName;
    s.playOnSetting = playOnSetting();
    s.stayOnTop = stayOnTop();
    s.chordSearch = chordSearch();
    s.printModeBox = rollView_->printModeBox->currentIndex();
    s.widthAgain = width();
    s.tuning = app_.guitar.tunings();
    return s;
}

// Puts the first-run state in force on the window (the file of defaults has just been written).
static void putDefaultsInForce(MainWindow& form, const Settings& d) {
    form.move(d.left, d.top);
    form.setColorScheme(
        true, static_cast<PackedColor>(d.backGroundBtm), static_cast<PackedColor>(d.fontColor),
        static_cast<PackedColor>(d.buttonTop), static_cast<PackedColor>(d.buttonBtm),
        static_cast<PackedColor>(d.backGroundTop));
    form.showSequencerPane(0);
}

bool MainWindow::saveSettings() {
    const SettingsSave save = saveSettingsFile(app_.settingsPath(), currentSettings());
    if (save.defaultsWritten) {
        const Settings& d = save.written;
        app_.midiSetup.midiChannel = d.midiChannel;
        app_.midiSetup.midiProgram = d.midiProgram;
        app_.midiSetup.midiVelocity = d.midiVelocity;
        app_.midiSetup.midiDevice = d.midiDevice;
        app_.midiSetup.midiDeviceName = d.midiDeviceName;
        playOnSettingAction_->setChecked(d.playOnSetting);
        setStayOnTop(d.stayOnTop);
        chordSearchAction_->setChecked(d.chordSearch);
        rollView_->printModeBox->setCurrentIndex(d.printModeBox);
        showGuitarChange(app_.fretboardController.changeTuning(d.tuning));
        putDefaultsInForce(*this, d);
    }
    if (!save.result.ok())
        reportFileFailure(save.result);
    return save.result.ok();
}

void MainWindow::loadSettings() {
    // The three switches start unchecked; only a line reading exactly "True" checks them.
    playOnSettingAction_->setChecked(false);
    stayOnTopAction_->setChecked(false);
    chordSearchAction_->setChecked(false);
    const SettingsLoad load = loadSettingsFile(app_.settingsPath(), width());
    if (load.defaultsWritten)
        putDefaultsInForce(*this, defaultSettings(width()));
    applySettings(load, *this);
    keepTitleBarOnScreen();
    if (!load.complete())
        reportFileFailure(load.result);
}

// A place saved on a monitor since unplugged, or typed into the settings, could put the title
// bar out of reach: the frame moves onto the nearest screen's free area.
void MainWindow::keepTitleBarOnScreen() {
    std::vector<DesktopRect> screens;
    QList<QScreen*> all = QGuiApplication::screens();
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        all.removeAll(primary);
        all.prepend(primary);
    }
    for (const QScreen* screen : all) {
        const QRect free = screen->availableGeometry();
        screens.push_back({free.x(), free.y(), free.width(), free.height()});
    }
    // Before the window is first shown its frame is not known: the style's title bar stands in.
    const QRect frame = frameGeometry();
    const int titleHeight =
        std::max(geometry().top() - frame.top(), style()->pixelMetric(QStyle::PM_TitleBarHeight));
    const DesktopPoint place =
        placeOnScreen({pos().x(), pos().y(), frame.width(), frame.height()}, screens, titleHeight);
    if (place.left != pos().x() || place.top != pos().y())
        move(place.left, place.top);
}

void MainWindow::setSeqBtnGroup(std::int32_t group) {
    sequencerButton_->setGroupIndex(group);
    sequencerButton_->setDown(group != 0);
}
void MainWindow::setWindowTop(std::int32_t top) {
    move(x(), top);
}
void MainWindow::setWindowLeft(std::int32_t left) {
    move(left, y());
}
void MainWindow::setWindowWidth(std::int32_t w) {
    resize(w, height());
}
void MainWindow::setWindowHeight(std::int32_t h) {
    // The height is fixed by the pane; the stored one lasts only until showSequencerPane, and stays
    // within the pane's two heights meanwhile.
    setFixedHeight(std::clamp(h, CLOSED_HEIGHT, OPEN_HEIGHT));
}
void MainWindow::applyColorScheme(std::int32_t backGroundBtm, std::int32_t backGroundTop,
                                  std::int32_t buttonBtm, std::int32_t buttonTop,
                                  std::int32_t fontColor) {
    setColorScheme(true, static_cast<PackedColor>(backGroundBtm),
                   static_cast<PackedColor>(fontColor), static_cast<PackedColor>(buttonTop),
                   static_cast<PackedColor>(buttonBtm), static_cast<PackedColor>(backGroundTop));
}
void MainWindow::setMidiChannel(std::uint8_t v) {
    app_.midiSetup.midiChannel = v;
}
void MainWindow::setMidiProgram(std::uint8_t v) {
    app_.midiSetup.midiProgram = v;
}
void MainWindow::setMidiVelocity(std::uint8_t v) {
    app_.midiSetup.midiVelocity = v;
}
void MainWindow::setMidiDevice(std::uint8_t v, const std::string& name) {
    app_.midiSetup.midiDevice = v;
    app_.midiSetup.midiDeviceName = name;
}
void MainWindow::checkPlayOnSetting() {
    playOnSettingAction_->setChecked(true);
}
void MainWindow::checkStayOnTop() {
    setStayOnTop(true);
}
void MainWindow::checkChordSearch() {
    chordSearchAction_->setChecked(true);
}
void MainWindow::setRollPrintMode(std::int32_t itemIndex) {
    const QSignalBlocker quiet(rollView_->printModeBox);
    rollView_->printModeBox->setCurrentIndex(itemIndex);
}
void MainWindow::setTuning(int string, std::uint8_t value) {
    app_.guitar.tuning[string] = value;
}
void MainWindow::setSeqPane(std::int32_t group) {
    showSequencerPane(group);
}

// ---- Colour scheme ----------------------------------------------------------------------------

void MainWindow::setColorScheme(bool gradation, PackedColor backGroundBtm, PackedColor fontColor,
                                PackedColor buttonTop, PackedColor buttonBtm,
                                PackedColor backGroundTop) {
    background_->setGradation(gradation);
    background_->setColor(backGroundBtm);
    background_->setGradationColor(backGroundTop);
    for (ShineSpeedButton* b :
         {downStrokeButton_, upStrokeButton_, sequencerButton_, muteButton_, clearFretsButton_}) {
        for (ShineButtonColors* set : {&b->colors(), &b->pressedColors()}) {
            set->setGradation(gradation);
            set->setGradVertical(true);
            set->setGradColor(buttonBtm);
            set->setColor(buttonTop);
        }
    }
    const QColor field = toQColor(buttonBtm, palette());
    const QColor text = toQColor(fontColor, palette());
    applyFieldColors({chordRootBox_, chordTypeBox_, userChordBox_, rollView_->printModeBox,
                      fretboard_->hoverNoteEdit, positionGroup_, positionLowRadio_,
                      positionMiddleRadio_, positionHighRadio_},
                     field, text);
    for (ShineSpeedButton* b : {sequencerButton_, clearFretsButton_, muteButton_})
        b->setFontColor(fontColor);
    timeSignatureLabel_->setFontColor(fontColor);
    sequencerPane_->applyColorScheme(gradation, fontColor, buttonTop, buttonBtm);
}

} // namespace cadenzo
