// The chord controls, the strum buttons, the keyboard and files from outside the window.
#include "app/main_window.h"

#include "app/sequencer_pane.h"
#include "controls/shadow_label.h"
#include "controls/shine_speed_button.h"
#include "files/song_file.h"
#include "views/fretboard_view.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QRadioButton>

namespace cadenzo {

ChordSelection MainWindow::chordShown() const {
    return {chordRootBox_->currentIndex(), chordTypeBox_->currentIndex()};
}

// Sets the two lists without running their change handlers.
void MainWindow::showChordSelection(ChordSelection shown) {
    chordRootBox_->setCurrentIndex(shown.chord1);
    chordTypeBox_->setCurrentIndex(shown.chord2);
}

void MainWindow::recognizeAndMatch() {
    showGuitarChange(app_.fretboardController.takeNewFrets());
}

void MainWindow::onChordRootChanged() {
    showGuitarChange(app_.fretboardController.chooseChord(chordShown()));
}

void MainWindow::onChordTypeChanged() {
    onChordRootChanged();
}

void MainWindow::onPositionClicked(int position) {
    showGuitarChange(app_.fretboardController.choosePosition(position));
}

void MainWindow::rebuildUserChordList() {
    userChordBox_->clear();
    for (const std::string& item : userChordItems(app_.userChords))
        userChordBox_->addItem(QString::fromLocal8Bit(item.data(), static_cast<int>(item.size())));
    userChordBox_->setCurrentIndex(0);
}

// The chord selected in usr onto the fretboard, then the tail every fret change runs.
void MainWindow::applySelectedUserChord() {
    showGuitarChange(app_.fretboardController.recallUserChord(userChordBox_->currentIndex()));
}

void MainWindow::onUserChordChosen(int index) {
    if (index > 0)
        applySelectedUserChord();
}

void MainWindow::wireStrumButtons() {
    const auto left = [](Qt::MouseButton b) { return b == Qt::LeftButton; };
    connect(downStrokeButton_, &ShineSpeedButton::mousePressed, this,
            [this, left](Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
                app_.strummer.strum(Strummer::Direction::Down,
                                    left(b) ? Strummer::Release::OnRelease
                                            : Strummer::Release::AtStrokeEnd);
            });
    connect(upStrokeButton_, &ShineSpeedButton::mousePressed, this,
            [this, left](Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
                app_.strummer.strum(Strummer::Direction::Up, left(b)
                                                                 ? Strummer::Release::OnRelease
                                                                 : Strummer::Release::AtStrokeEnd);
            });
    for (ShineSpeedButton* b : {downStrokeButton_, upStrokeButton_})
        connect(
            b, &ShineSpeedButton::mouseReleased, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { app_.strummer.release(); });
    connect(muteButton_, &ShineSpeedButton::clicked, this, [this] { app_.strummer.mute(); });
}

// ---- Keys: the window sees every key before its controls --------------------------------------

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (handleStrumKey(watched, event))
        return true;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::Shortcut: // a menu command's key never reaches a widget as a key press
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        scheduleSongCheck(); // any of them may have edited the song
        break;
    case QEvent::MouseMove:
        if (static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton)
            scheduleSongCheck(); // a drag in the sequence view edits as it goes
        break;
    default:
        break;
    }
    if (event->type() == QEvent::MouseMove && watched == background_) {
        fretboard_->clearNeckHover(); // the mouse is over the window's background
        return false;
    }
    // Left unaccepted, the override hands the key to the Edit menu instead of the control.
    if (event->type() == QEvent::ShortcutOverride &&
        isEditMenuKey(watched, *static_cast<QKeyEvent*>(event)))
        return true;
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this || !isEnabled())
        return false;
    // A key goes to the focused control first; one it ignores travels on to the parents with the
    // same event, so only that first delivery is looked at.
    QWidget* first = QApplication::focusWidget();
    if (widget != (first != nullptr ? first : this))
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (handleKeyDown(key->key()))
        return true;
    return handleTypedText(key->text());
}

// The song's Undo, Redo, Copy, Cut and Paste keys act from every control of the window: a text
// field would otherwise take them for its own text. Fields of dialogs, windows of their own, keep
// their text editing.
bool MainWindow::isEditMenuKey(QObject* watched, const QKeyEvent& key) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this)
        return false;
    const QKeySequence pressed(key.keyCombination());
    for (const QAction* item : {undoAction_, redoAction_, copyAction_, cutAction_, pasteAction_})
        if (item->isEnabled() && item->shortcuts().contains(pressed))
            return true;
    return false;
}

bool MainWindow::handleTypedText(const QString& text) {
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    const char32_t typed = text.toUcs4().value(0);
    showGuitarChange(app_.fretboardController.typeKey(typed));
    // Space belongs to the transport and never reaches a control.
    if (typed != U' ')
        return false;
    if (seqPane_ != 0)
        sequencerPane_->togglePlay();
    return true;
}

bool MainWindow::handleKeyDown(int key) {
    // Delete removes the selected events wherever the focus is; a field with the focus still
    // receives the key as well.
    if (key == Qt::Key_Delete)
        sequencerPane_->deleteSelection();
    return false;
}

// ---- Files from outside ------------------------------------------------------------------------

void MainWindow::openFileByName(const QString& name) {
    if (name.isEmpty())
        return;
    const QString ending = name.right(3);
    const std::filesystem::path path = name.toStdString();
    if (ending == QLatin1String("crd")) {
        openUserChordFile(name);
    } else if (ending == QLatin1String("cz0")) {
        if (maySongBeReplaced())
            loadSongFile(path);
    } else {
        warn(QString::fromLatin1(WRONG_TYPE_TEXT));
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty())
        return;
    event->acceptProposedAction();
    filesDropped(urls);
}

void MainWindow::filesDropped(const QList<QUrl>& urls) {
    // Only the first file of a drop is opened. The whole name is taken: cutting a long path
    // short would open another file, or none.
    if (!urls.isEmpty())
        openFileByName(urls.first().toLocalFile());
}

} // namespace cadenzo
