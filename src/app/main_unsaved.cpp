// The song's unsaved changes: the caption's mark, the question before a song is replaced or the
// window closes, and the recovery copy that survives a crash.
#include "app/main_window.h"

#include "app/placed_box.h"
#include "app/sequencer_pane.h"
#include "files/recovery.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace cadenzo {

namespace {

// A recovery copy is written this long after the first edit that it lacks, so that it is at
// most about a second behind the song however fast the user edits, and written at most once a
// second.
constexpr int RECOVERY_DELAY_MS = 1000;

} // namespace

void MainWindow::createUnsavedSongWatch() {
    askToSave = [this](const QString& text) {
        switch (execPlacedBox(this, QMessageBox::Question, QStringLiteral("Cadenzo"), text,
                              QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel)) {
        case QMessageBox::Save:
            return SaveChoice::Save;
        case QMessageBox::Discard:
            return SaveChoice::Discard;
        default:
            return SaveChoice::Cancel;
        }
    };
    askToRestore = [this](const QString& text) {
        const int answer =
            execPlacedBox(this, QMessageBox::Question, QStringLiteral("Cadenzo"), text,
                          QMessageBox::Yes | QMessageBox::Discard, [](QMessageBox& box) {
                              box.button(QMessageBox::Yes)->setText(QStringLiteral("Restore"));
                              box.setDefaultButton(QMessageBox::Yes);
                          });
        if (answer == QMessageBox::Yes)
            return RestoreChoice::Restore;
        return answer == QMessageBox::Discard ? RestoreChoice::Discard : RestoreChoice::Later;
    };
    songCheckTimer_ = new QTimer(this);
    songCheckTimer_->setSingleShot(true);
    connect(songCheckTimer_, &QTimer::timeout, this, &MainWindow::checkSongChanged);
    recoveryTimer_ = new QTimer(this);
    recoveryTimer_->setSingleShot(true);
    connect(recoveryTimer_, &QTimer::timeout, this, &MainWindow::keepRecoveryCopy);
    recovery_ = std::make_unique<RecoverySession>(std::filesystem::path());
}

bool MainWindow::songChanged() {
    return songChangeBytes(songParts()) != cleanBytes_;
}

void MainWindow::markSongClean() {
    cleanBytes_ = songChangeBytes(songParts());
    recoveryTimer_->stop();
    if (!keptBytes_.empty())
        recovery_->forget();
    keptBytes_.clear();
    setWindowModified(false);
}

void MainWindow::scheduleSongCheck() {
    if (!songCheckTimer_->isActive() && !starting_)
        songCheckTimer_->start(0);
}

void MainWindow::checkSongChanged() {
    const std::vector<std::uint8_t> now = songChangeBytes(songParts());
    const bool changed = now != cleanBytes_;
    setWindowModified(changed);
    if (changed && now != keptBytes_ && !recoveryTimer_->isActive())
        recoveryTimer_->start(RECOVERY_DELAY_MS);
    else if (!changed && !keptBytes_.empty()) // edited back to what was saved
        markSongClean();
}

void MainWindow::keepRecoveryCopy() {
    std::vector<std::uint8_t> file = encodeSongFile(songParts());
    std::vector<std::uint8_t> now = songChangeBytes(file);
    if (now == cleanBytes_ || now == keptBytes_)
        return;
    keptBytes_ = std::move(now);
    recovery_->keep(std::move(file), app_.song.songPath);
}

bool MainWindow::maySongBeReplaced() {
    if (!songChanged())
        return true;
    switch (askToSave(QStringLiteral("Save changes to the song?"))) {
    case SaveChoice::Save:
        return onSaveSongTriggered();
    case SaveChoice::Discard:
        return true;
    case SaveChoice::Cancel:
        break;
    }
    return false;
}

void MainWindow::offerRecovery() {
    recovery_ = std::make_unique<RecoverySession>(app_.recoveryFolder);
    if (const FileResult opened = recovery_->open(); !opened) {
        reportError(QString::fromStdString(opened.message));
        return;
    }
    const std::optional<OrphanCopy> orphan = recovery_->findOrphan();
    if (!orphan)
        return;
    const QString name = orphan->songPath.empty()
                             ? QStringLiteral("a new song")
                             : QFileInfo(QString::fromStdString(orphan->songPath)).fileName();
    const QString time = QDateTime::fromSecsSinceEpoch(orphan->savedAt)
                             .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    switch (askToRestore(QStringLiteral("Cadenzo did not close properly. Restore the unsaved song "
                                        "(%1, %2)?")
                             .arg(name, time))) {
    case RestoreChoice::Later:
        recovery_->releaseOrphan(*orphan);
        return;
    case RestoreChoice::Discard:
        recovery_->discardOrphan(*orphan);
        return;
    case RestoreChoice::Restore:
        break;
    }
    const FileResult result =
        loadSong(orphan->songCopy, songParts(), [this] { app_.playback.resetSong(); });
    if (!result) {
        // The copy stays for a later start; what could be read is shown and counts as changed.
        reportError(QString::fromStdString(result.message));
        recovery_->releaseOrphan(*orphan);
    }
    app_.song.songPath = orphan->songPath;
    showSongPath(orphan->songPath);
    showGuitarChange(app_.fretboardController.takeNewFrets());
    sequencerPane_->songReplaced(true);
    // Changed until it is saved, whatever it holds; the old copy goes only once this run's own
    // copy is on disk.
    cleanBytes_.clear();
    keptBytes_.clear();
    keepRecoveryCopy();
    setWindowModified(true);
    if (result && recovery_->flush())
        recovery_->discardOrphan(*orphan);
}

} // namespace cadenzo
