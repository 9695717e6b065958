// The chord sheet commands of the File menu: "Import Chord Chart…" and "Export ChordPro…".
#include "app/main_window.h"

#include "app/sequencer_pane.h"
#include "files/chord_chart.h"
#include "files/chordpro_export.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>

namespace cadenzo {

namespace {

// The folder songs are opened from: the last song file's, or the start folder itself before any
// song was opened.
std::filesystem::path songFolder(const std::filesystem::path& songFile) {
    std::error_code error;
    return std::filesystem::is_directory(songFile, error) ? songFile : songFile.parent_path();
}

} // namespace

void MainWindow::connectChordChartCommands() {
    connect(importChartAction_, &QAction::triggered, this, [this] {
        const QString name = QFileDialog::getOpenFileName(
            this, QStringLiteral("Import Chord Chart"),
            QString::fromStdString(songFolder(app_.songFile).string()),
            QStringLiteral("Chord chart (*.txt *.cho *.chopro *.chordpro);;All files (*)"));
        if (!name.isEmpty())
            importChordChart(name.toStdString());
    });
    connect(exportChordProAction_, &QAction::triggered, this, [this] {
        // Beside the song, under its name; a new song starts where songs are opened, never on the
        // name of the song file last opened, which the sheet would replace.
        const std::string start =
            app_.song.songPath.empty()
                ? (songFolder(app_.songFile) / "song.cho").string()
                : std::filesystem::path(app_.song.songPath).replace_extension("cho").string();
        QFileDialog dialog(this, QStringLiteral("Export ChordPro"), QString::fromStdString(start),
                           QStringLiteral("ChordPro (*.cho)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("cho"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            exportChordProFile(dialog.selectedFiles().first().toStdString());
    });
}

void MainWindow::importChordChart(const std::filesystem::path& path) {
    // The chart is read and checked first: a chart that cannot become a song leaves the song be.
    ChartOptions options;
    options.position = app_.guitar.chordPos;
    options.tuning = app_.guitar.tunings();
    ChartSong arranged;
    std::string title;
    if (const FileResult read = readChordChart(path, options, arranged, title); !read) {
        reportError(QString::fromStdString(read.message));
        return;
    }
    if (!maySongBeReplaced())
        return;
    app_.playback.resetSong();
    app_.song.songPath.clear(); // a new song: saving asks for its name
    showSongPath({});
    markSongClean(); // the empty song is the saved state the chart differs from
    storeChartSong(arranged, title, app_.song);
    app_.tempo = std::to_string(arranged.tempo);
    sequencerPane_->songReplaced(true);
    checkSongChanged();
}

void MainWindow::exportChordProFile(const std::filesystem::path& path) {
    if (const FileResult written =
            exportChordPro(path, app_.song, app_.tempo, app_.guitar.tunings());
        !written)
        reportError(QString::fromStdString(written.message));
}

} // namespace cadenzo
