// The song commands of the File menu: new, open, save and save as new.
#include "app/main_window.h"

#include "app/sequencer_pane.h"
#include "controls/control_geometry.h"
#include "files/recovery.h"
#include "files/song_file.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>

namespace cadenzo {

namespace {

const QString kSongFilter = QStringLiteral("Song file (*.cz0)");

// The dialogs start where songFile points, without a trailing path delimiter.
QString startPlace(const std::filesystem::path& songFile) {
    QString place = QString::fromStdString(songFile.string());
    while (place.size() > 1 && place.endsWith(QLatin1Char('/')))
        place.chop(1);
    return place;
}

} // namespace

SongFileParts MainWindow::songParts() {
    return {app_.song, app_.tempo, app_.midiSetup, app_.guitar};
}

// The panel is narrow: the folder gives way so that the file name shows; the whole path is the
// panel's tip.
void MainWindow::showSongPath(const std::string& path) {
    QLabel* panel = statusPanels_[2];
    const QFontMetrics metrics = panel->fontMetrics();
    // The label keeps an indent of half an x beside a frame; a whole x leaves room for rounding.
    const int room = panel->contentsRect().width() - metrics.horizontalAdvance(QLatin1Char('x'));
    const std::string shown = elideFolder(path, room, [&metrics](std::string_view text) {
        return metrics.horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size())));
    });
    panel->setText(QString::fromStdString(shown));
    panel->setToolTip(QString::fromStdString(path));
}

void MainWindow::onNewSongTriggered() {
    if (!maySongBeReplaced())
        return;
    app_.playback.resetSong();
    app_.song.songPath.clear();
    app_.song.songName.clear();
    showSongPath({});
    sequencerPane_->songReplaced(false);
    markSongClean();
}

void MainWindow::loadSongFile(const std::filesystem::path& path) {
    // A file that fails part way leaves what was read: that counts as a change of the new, empty
    // song, so it is not discarded without a question either.
    std::vector<std::uint8_t> emptySong;
    const FileResult result = loadSong(path, songParts(), [&] {
        app_.playback.resetSong();
        emptySong = songChangeBytes(songParts());
    });
    if (result) {
        statusPanels_[3]->setText(QString::fromStdString(result.message));
        showSongPath(path.string());
        app_.songFile = path;
        app_.song.songPath = path.string();
        noteRecentSong(path);
    } else {
        reportError(QString::fromStdString(result.message));
        // The song is empty now: saving it under the name of a file it failed to read (or of the
        // song before) would overwrite that file. A name with no file yet is kept to save under.
        std::error_code ec;
        app_.song.songPath = (std::filesystem::exists(path, ec) || ec) ? "" : path.string();
        showSongPath({});
    }
    // The file brings its own tuning and frets: the fretboard and the roll view show them at once.
    showGuitarChange(app_.fretboardController.takeNewFrets());
    sequencerPane_->songReplaced(true);
    markSongClean();
    if (!result && !emptySong.empty()) {
        cleanBytes_ = std::move(emptySong);
        checkSongChanged();
    }
}

bool MainWindow::saveSongFile(const std::filesystem::path& path) {
    const FileResult result = saveSong(path, songParts());
    if (result) {
        statusPanels_[3]->setText(QString::fromStdString(result.message));
        markSongClean();
        noteRecentSong(path);
    } else {
        reportError(QString::fromStdString(result.message));
    }
    return result.ok();
}

// The save dialog; returns the chosen name or an empty path on cancel.
std::filesystem::path MainWindow::askSongName(bool forSaving) {
    QFileDialog dialog(this, forSaving ? QStringLiteral("Save Song") : QStringLiteral("Open Song"),
                       startPlace(app_.songFile), kSongFilter);
    dialog.setDefaultSuffix(QStringLiteral("cz0"));
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Opening a name that does not exist is allowed: it becomes the song's name for saving.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toStdString();
}

bool MainWindow::saveSongAs(const std::filesystem::path& name) {
    if (name.empty())
        return false;
    app_.song.songPath = name.string();
    showSongPath(name.string());
    return saveSongFile(name);
}

bool MainWindow::onSaveSongTriggered() {
    if (app_.song.songPath.empty())
        return saveSongAs(askSongName(true));
    return saveSongFile(app_.song.songPath);
}

void MainWindow::onSaveSongAsTriggered() {
    saveSongAs(askSongName(true));
}

void MainWindow::onLoadSongTriggered() {
    const std::filesystem::path name = askSongName(false);
    if (name.empty())
        return;
    if (pathExists(name)) {
        if (maySongBeReplaced())
            loadSongFile(name);
    } else
        app_.song.songPath = name.string(); // a new name: the song is saved under it
}

} // namespace cadenzo
