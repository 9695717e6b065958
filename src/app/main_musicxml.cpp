// The menu command "Export MusicXML…": the file dialog with the grid to write on, then the same
// export as the command-line tool.
#include "app/main_window.h"

#include "app/placed_box.h"
#include "files/musicxml_export.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

namespace cadenzo {

void MainWindow::onExportMusicXmlTriggered() {
    // Beside the song, under its name; a song without a file starts in the start folder.
    std::filesystem::path start = app_.startDir / MUSICXML_DEFAULT_FILE;
    if (!app_.song.songPath.empty())
        start = std::filesystem::path(app_.song.songPath).replace_extension(".musicxml");
    QFileDialog dialog(this, QStringLiteral("Export MusicXML"),
                       QString::fromStdString(start.parent_path().string()),
                       QStringLiteral("MusicXML file (*.musicxml *.mxl)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("musicxml"));
    dialog.selectFile(QString::fromStdString(start.string()));
    // The grid is a row of the dialog itself, which the platform's own dialog would not have.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* grid = new QComboBox(&dialog);
    grid->setObjectName(QStringLiteral("grid"));
    for (const char* item : notationGridItems)
        grid->addItem(QString::fromLatin1(item));
    if (auto* layout = qobject_cast<QGridLayout*>(dialog.layout())) {
        const int row = layout->rowCount();
        layout->addWidget(new QLabel(QStringLiteral("Grid"), &dialog), row, 0);
        layout->addWidget(grid, row, 1);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;

    MusicXmlOptions options;
    options.grid = static_cast<NotationGrid>(grid->currentIndex());
    options.title = app_.song.songPath.empty()
                        ? std::string("sample")
                        : std::filesystem::path(app_.song.songPath).stem().string();
    options.midiChannel = app_.midiSetup.midiChannel;
    options.midiProgram = app_.midiSetup.midiProgram;
    const FileResult written = exportMusicXml(app_.song, app_.guitar.tunings(), app_.tempo, options,
                                              dialog.selectedFiles().first().toStdString());
    if (!written)
        execPlacedBox(this, QMessageBox::Critical, QStringLiteral("Error"),
                      QString::fromStdString(written.message), QMessageBox::Ok);
}

} // namespace cadenzo
