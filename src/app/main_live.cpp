// Strumming without the mouse (the strum keys, a MIDI controller) and File → "Recent Songs".
#include "app/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>

namespace cadenzo {

namespace {

constexpr int RECENT_SONGS = 8;
constexpr const char* NO_INPUT = "None";
const char* const ACTION_KEYS[LIVE_ACTIONS] = {"DownStrokeKey", "UpStrokeKey", "MuteKey"};
const char* const ACTION_CONTROLS[LIVE_ACTIONS] = {"DownStrokeControl", "UpStrokeControl",
                                                   "MuteControl"};
const char* const LEARN_CAPTIONS[LIVE_ACTIONS] = {"Learn Down Stroke", "Learn Up Stroke",
                                                  "Learn Mute"};

std::int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void MainWindow::createLiveControls() {
    recentSongsMenu_ = new QMenu(QStringLiteral("Recent Songs"), fileMenu_);
    recentSongsMenu_->setObjectName(QStringLiteral("RecentSongs1"));
    fileMenu_->insertMenu(saveUserChordsAction_, recentSongsMenu_);
    fileMenu_->insertSeparator(saveUserChordsAction_);
    // A song may have gone or come back since the list was last shown.
    connect(recentSongsMenu_, &QMenu::aboutToShow, this, [this] { rebuildRecentSongsMenu(); });
    rebuildRecentSongsMenu();

    setupMenu_->addSeparator();
    midiInputMenu_ = setupMenu_->addMenu(QStringLiteral("MIDI Input"));
    midiInputMenu_->setObjectName(QStringLiteral("MidiInput1"));
    // Built when it opens: listing the ports asks JACK and ALSA, which start-up need not wait for.
    connect(midiInputMenu_, &QMenu::aboutToShow, this, [this] { rebuildMidiInputMenu(); });

    QAction* keys = helpMenu_->addAction(QStringLiteral("Keys"));
    keys->setObjectName(QStringLiteral("Keys2"));
    connect(keys, &QAction::triggered, this, [this] {
        const auto name = [this](int a) {
            return QKeySequence(strumKeys[a]).toString(QKeySequence::NativeText);
        };
        QMessageBox::information(
            this, QStringLiteral("Keys"),
            QStringLiteral("Space\tplay / stop\nDelete\tdelete the selected events\n"
                           "a letter\trecall the user chord with that key letter\n"
                           "%1\tdown stroke (held: rings)\n%2\tup stroke (held: rings)\n%3\tMute")
                .arg(name(0), name(1), name(2)));
    });

    // The controller's messages are taken on the window thread once the receiving thread has
    // queued them; that thread never calls into the window.
    if (app_.midiIn) {
        auto* ready = new QSocketNotifier(app_.midiIn->readyFd(), QSocketNotifier::Read, this);
        connect(ready, &QSocketNotifier::activated, this, [this] { takeMidiInput(); });
    }
    chordGatherTimer_ = new QTimer(this);
    chordGatherTimer_->setSingleShot(true);
    connect(chordGatherTimer_, &QTimer::timeout, this,
            [this] { showGuitarChange(app_.liveInput.flush(steadyMs())); });
}

// ---- Strum keys ---------------------------------------------------------------------------------

bool MainWindow::handleStrumKey(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    int action = 0;
    while (action < LIVE_ACTIONS && strumKeys[action] != key->key())
        ++action;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (action == LIVE_ACTIONS || widget == nullptr || widget->window() != this || !isEnabled())
        return false;
    // Only the first delivery counts: a key ignored by the focused control travels on to its
    // parents as the same event.
    QWidget* first = QApplication::focusWidget();
    if (widget != (first != nullptr ? first : this))
        return false;
    // A held key repeats its press and release; it rings once until really let go.
    if (!key->isAutoRepeat()) {
        if (event->type() == QEvent::KeyPress)
            app_.liveInput.press(static_cast<LiveAction>(action));
        else
            app_.liveInput.release(static_cast<LiveAction>(action));
    }
    return true;
}

// ---- The MIDI controller ------------------------------------------------------------------------

void MainWindow::rebuildMidiInputMenu() {
    midiInputMenu_->clear();
    auto* group = new QActionGroup(midiInputMenu_);
    QStringList names{QString::fromLatin1(NO_INPUT)};
    if (app_.midiIn)
        for (const std::string& name : app_.midiIn->portNames())
            names << QString::fromStdString(name);
    // The port kept in the preferences stays listed while it is away, so it can be seen.
    if (!midiInputName_.isEmpty() && !names.contains(midiInputName_))
        names << midiInputName_;
    for (const QString& name : names) {
        QAction* item = midiInputMenu_->addAction(name);
        item->setCheckable(true);
        item->setChecked(name == (midiInputName_.isEmpty() ? names.first() : midiInputName_));
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, name] { chooseMidiInput(name); });
    }
    midiInputMenu_->addSeparator();
    for (int a = 0; a < LIVE_ACTIONS; ++a) {
        QAction* learn = midiInputMenu_->addAction(QString::fromLatin1(LEARN_CAPTIONS[a]));
        learn->setObjectName(QStringLiteral("Learn%1").arg(a + 1));
        learn->setCheckable(true);
        learn->setChecked(app_.liveInput.learning() == static_cast<LiveAction>(a));
        connect(learn, &QAction::triggered, this,
                [this, a] { app_.liveInput.learn(static_cast<LiveAction>(a)); });
    }
}

void MainWindow::chooseMidiInput(const QString& name) {
    midiInputName_ = name == QLatin1String(NO_INPUT) ? QString() : name;
    if (!app_.midiIn)
        return;
    if (midiInputName_.isEmpty()) {
        app_.midiIn->close();
        return;
    }
    if (!app_.midiIn->open(midiInputName_.toStdString()))
        statusPanels_[3]->setText(QStringLiteral("MIDI input %1 is not there").arg(name));
}

void MainWindow::takeMidiInput() {
    if (!app_.midiIn)
        return;
    TimedMessage message;
    while (app_.midiIn->take(message))
        showGuitarChange(app_.liveInput.receive(message.message, message.dueNs / 1000000));
    if (const std::optional<std::int64_t> due = app_.liveInput.flushDue())
        chordGatherTimer_->start(static_cast<int>(std::max<std::int64_t>(0, *due - steadyMs())));
}

// ---- Recent songs -------------------------------------------------------------------------------

void MainWindow::noteRecentSong(const std::filesystem::path& path) {
    const QString name = QFileInfo(QString::fromStdString(path.string())).absoluteFilePath();
    recentSongs_.removeAll(name);
    recentSongs_.prepend(name);
    while (recentSongs_.size() > RECENT_SONGS)
        recentSongs_.removeLast();
    rebuildRecentSongsMenu();
}

void MainWindow::rebuildRecentSongsMenu() {
    recentSongsMenu_->clear();
    bool missing = false;
    for (const QString& name : recentSongs_) {
        QAction* item = recentSongsMenu_->addAction(name);
        // A song that has gone cannot be opened; it stays listed, greyed, until removed.
        item->setEnabled(QFileInfo::exists(name));
        missing = missing || !item->isEnabled();
        connect(item, &QAction::triggered, this, [this, name] {
            if (maySongBeReplaced())
                loadSongFile(name.toStdString());
        });
    }
    if (!missing)
        return;
    recentSongsMenu_->addSeparator();
    QAction* remove = recentSongsMenu_->addAction(QStringLiteral("Remove Missing Songs"));
    remove->setObjectName(QStringLiteral("RemoveMissing1"));
    connect(remove, &QAction::triggered, this, [this] {
        recentSongs_.removeIf([](const QString& name) { return !QFileInfo::exists(name); });
        rebuildRecentSongsMenu();
    });
}

// ---- Preferences --------------------------------------------------------------------------------

void MainWindow::loadLivePreferences(QSettings& preferences) {
    preferences.beginGroup(QStringLiteral("Strumming"));
    for (int a = 0; a < LIVE_ACTIONS; ++a) {
        const QKeySequence key(preferences.value(QString::fromLatin1(ACTION_KEYS[a])).toString());
        if (key.count() == 1)
            strumKeys[a] = key[0].key();
        app_.liveInput.controls[a] = parseControl(
            preferences.value(QString::fromLatin1(ACTION_CONTROLS[a])).toString().toStdString());
    }
    const QString input = preferences.value(QStringLiteral("InputDevice")).toString();
    preferences.endGroup();
    if (!input.isEmpty())
        chooseMidiInput(input);
    recentSongs_ = preferences.value(QStringLiteral("RecentSongs/Songs")).toStringList();
    while (recentSongs_.size() > RECENT_SONGS)
        recentSongs_.removeLast();
    rebuildRecentSongsMenu();
}

void MainWindow::saveLivePreferences(QSettings& preferences) const {
    preferences.beginGroup(QStringLiteral("Strumming"));
    for (int a = 0; a < LIVE_ACTIONS; ++a) {
        preferences.setValue(QString::fromLatin1(ACTION_KEYS[a]),
                             QKeySequence(strumKeys[a]).toString());
        preferences.setValue(QString::fromLatin1(ACTION_CONTROLS[a]),
                             QString::fromStdString(controlText(app_.liveInput.controls[a])));
    }
    preferences.setValue(QStringLiteral("InputDevice"), midiInputName_);
    preferences.endGroup();
    // QSettings writes an empty list as "@Invalid()"; no songs is no line.
    if (recentSongs_.isEmpty())
        preferences.remove(QStringLiteral("RecentSongs"));
    else
        preferences.setValue(QStringLiteral("RecentSongs/Songs"), recentSongs_);
}

} // namespace cadenzo
