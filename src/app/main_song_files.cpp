// The song commands of the File menu: new, open, save and save as new.
#include "app/main_form.h"

#include "app/sequencer_pane.h"
#include "files/song_file.h"

#include <QFileDialog>
#include <QLabel>

namespace cadenzo {

namespace {

const QString kSongFilter = QStringLiteral("Song file (*.cz0)");

// The dialogs start where songFile points, without a trailing path delimiter.
QString StartPlace(const std::filesystem::path& songFile) {
    QString place = QString::fromStdString(songFile.string());
    while (place.size() > 1 && place.endsWith(QLatin1Char('/')))
        place.chop(1);
    return place;
}

} // namespace

SongFileParts Tmain_form::SongParts() {
    return {app_.song, app_.tempo, app_.midiSetup, app_.guitar};
}

void Tmain_form::NewSongN1Click() {
    app_.playback.NewSong();
    app_.song.songPath.clear();
    app_.song.songName.clear();
    statusPanel[2]->clear();
    sequencerPane->songReplaced(false);
}

void Tmain_form::LoadSongFile(const std::filesystem::path& path) {
    const FileResult result = LoadSong(path, SongParts(), [this] { app_.playback.NewSong(); });
    if (result) {
        statusPanel[3]->setText(QString::fromStdString(result.message));
        statusPanel[2]->setText(QString::fromStdString(path.string()));
        app_.songFile = path;
        app_.song.songPath = path.string();
    } else {
        reportError(QString::fromStdString(result.message));
        // The song is empty now: saving it under the name of a file it failed to read (or of the
        // song before) would overwrite that file. A name with no file yet is kept to save under.
        std::error_code ec;
        app_.song.songPath = (std::filesystem::exists(path, ec) || ec) ? "" : path.string();
        statusPanel[2]->clear();
    }
    // The file brings its own tuning and frets: the fretboard and the roll view show them at once.
    ShowGuitarChange(app_.fretboardController.takeNewFrets());
    sequencerPane->songReplaced(true);
}

void Tmain_form::SaveSongFile(const std::filesystem::path& path) {
    const FileResult result = SaveSong(path, SongParts());
    if (result)
        statusPanel[3]->setText(QString::fromStdString(result.message));
    else
        reportError(QString::fromStdString(result.message));
}

// The save dialog; returns the chosen name or an empty path on cancel.
std::filesystem::path Tmain_form::AskSongName(bool forSaving) {
    QFileDialog dialog(this, forSaving ? QStringLiteral("Save Song") : QStringLiteral("Open Song"),
                       StartPlace(app_.songFile), kSongFilter);
    dialog.setDefaultSuffix(QStringLiteral("cz0"));
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Opening a name that does not exist is allowed: it becomes the song's name for saving.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toStdString();
}

void Tmain_form::SaveSongAs(const std::filesystem::path& name) {
    if (name.empty())
        return;
    app_.song.songPath = name.string();
    statusPanel[2]->setText(QString::fromStdString(name.string()));
    SaveSongFile(name);
}

void Tmain_form::SaveSong1Click() {
    if (app_.song.songPath.empty())
        SaveSongAs(AskSongName(true));
    else
        SaveSongFile(app_.song.songPath);
}

void Tmain_form::SaveSongasnew1Click() {
    SaveSongAs(AskSongName(true));
}

void Tmain_form::LoadSong1Click() {
    const std::filesystem::path name = AskSongName(false);
    if (name.empty())
        return;
    if (std::filesystem::exists(name))
        LoadSongFile(name);
    else
        app_.song.songPath = name.string(); // a new name: the song is saved under it
}

} // namespace cadenzo
