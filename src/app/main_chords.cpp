// The chord controls, the strum buttons, the keyboard and files from outside the window.
#include "app/main_form.h"

#include "controls/shadow_label.h"
#include "controls/shine_speed_button.h"
#include "files/song_file.h"
#include "views/fretboard_view.h"

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QRadioButton>

namespace cadenzo {

ChordSelection Tmain_form::ChordShown() const {
    return {Chord1->currentIndex(), Chord2->currentIndex()};
}

// Sets the two lists without running their change handlers.
void Tmain_form::ShowChordSelection(ChordSelection shown) {
    Chord1->setCurrentIndex(shown.chord1);
    Chord2->setCurrentIndex(shown.chord2);
}

void Tmain_form::RecognizeAndMatch() {
    ShowChordSelection(RecognizeChord(app_.guitar, chordSearch(), ChordShown()));
    usr->setCurrentIndex(MatchUserChord(app_.userChords, app_.guitar));
}

void Tmain_form::Chord1Change() {
    fretboard->SetNeckBarPosition(ApplyChord(app_.guitar, ChordShown()));
    usr->setCurrentIndex(MatchUserChord(app_.userChords, app_.guitar));
    DrawNeck();
    RefreshRoll();
}

void Tmain_form::Chord2Change() {
    Chord1Change();
}

void Tmain_form::Position_Click(int position) {
    app_.guitar.chordPos = static_cast<std::uint8_t>(position);
    Chord1Change();
}

void Tmain_form::RebuildUserChordList() {
    usr->clear();
    for (const std::string& item : UserChordItems(app_.userChords))
        usr->addItem(QString::fromLocal8Bit(item.data(), static_cast<int>(item.size())));
    usr->setCurrentIndex(0);
}

// The chord selected in usr onto the fretboard, then the tail every fret change runs.
void Tmain_form::ApplySelectedUserChord() {
    ChordSelection shown = ChordShown();
    if (ApplyUserChord(app_.userChords, usr->currentIndex(), app_.guitar, shown.chord1,
                       shown.chord2))
        ShowAppliedUserChord(shown);
}

// What follows a user chord put on the fretboard, by the list or by its key letter: the lists
// as the chord left them, the neck moved to it, the chord named, then the pictures.
void Tmain_form::ShowAppliedUserChord(ChordSelection shown) {
    ShowChordSelection(shown);
    fretboard->SetNeckBarPosition(app_.guitar.neckPos);
    ShowChordSelection(RecognizeChord(app_.guitar, chordSearch(), ChordShown()));
    DrawNeck();
    RefreshRoll();
}

void Tmain_form::usrChange(int index) {
    if (index > 0)
        ApplySelectedUserChord();
}

void Tmain_form::WireStrumButtons() {
    const auto left = [](Qt::MouseButton b) { return b == Qt::LeftButton; };
    connect(DownStBtn, &TShineSpeedButton::OnMouseDown, this,
            [this, left](Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
                app_.strummer.DownStBtnMouseDown(left(b));
            });
    connect(UpStBtn, &TShineSpeedButton::OnMouseDown, this,
            [this, left](Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
                app_.strummer.UpStBtnMouseDown(left(b));
            });
    for (TShineSpeedButton* b : {DownStBtn, UpStBtn})
        connect(b, &TShineSpeedButton::OnMouseUp, this,
                [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
                    app_.strummer.StBtnMouseUp();
                });
    connect(MuteBtn, &TShineSpeedButton::OnClick, this, [this] { app_.strummer.MuteBtnClick(); });
}

// ---- Keys: the window sees every key before its controls --------------------------------------

bool Tmain_form::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && watched == backGround) {
        fretboard->LeaveNeck(); // the mouse is over the window's background
        return false;
    }
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
    if (FormKeyDown(key->key()))
        return true;
    return FormKeyPress(key->text());
}

bool Tmain_form::FormKeyPress(const QString& text) {
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    const char32_t typed = text.toUcs4().value(0);
    int index = usr->currentIndex();
    ChordSelection shown = ChordShown();
    const bool applied =
        UserChordKeyPress(app_.userChords, typed, index, app_.guitar, shown.chord1, shown.chord2);
    usr->setCurrentIndex(index);
    if (applied)
        ShowAppliedUserChord(shown);
    // Space belongs to the transport and never reaches a control.
    if (typed != U' ')
        return false;
    if (seqPane_ != 0)
        app_.playback.spaceKey(app_.tempo);
    return true;
}

bool Tmain_form::FormKeyDown(int key) {
    // Delete removes the selected events once the sequencer pane's editing is in place.
    (void)key;
    return false;
}

// ---- Files from outside ------------------------------------------------------------------------

void Tmain_form::OpenFileByName(const QString& name) {
    if (name.isEmpty())
        return;
    const QString ending = name.right(3);
    const std::filesystem::path path = name.toStdString();
    if (ending == QLatin1String("crd")) {
        const FileResult r = LoadChordFile(app_.userChords, path, app_.BackupChordPath());
        RebuildUserChordList();
        ReportChordFile(r);
    } else if (ending == QLatin1String("cz0")) {
        LoadSongFile(path);
        app_.song.songPath = path.string();
    } else {
        warn(QString::fromLatin1(WRONG_TYPE_TEXT));
    }
}

void Tmain_form::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void Tmain_form::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty())
        return;
    event->acceptProposedAction();
    FilesDropped(urls);
}

void Tmain_form::FilesDropped(const QList<QUrl>& urls) {
    // Only the first file of a drop is opened. The whole name is taken: cutting a long path
    // short would open another file, or none.
    if (!urls.isEmpty())
        OpenFileByName(urls.first().toLocalFile());
}

} // namespace cadenzo
