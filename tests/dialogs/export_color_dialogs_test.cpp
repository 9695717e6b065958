#include "app/window_fixture.h"
#include "controls/color_grid.h"
#include "controls/shadow_label.h"
#include "controls/shine_speed_button.h"
#include "dialogs/color_dialog.h"
#include "dialogs/export_smf_dialog.h"
#include "dialogs/up_down_arrows.h"
#include "support/song_events.h"
#include "support/widget_util.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

namespace cadenzo {
namespace {

class ExportColorDialogsTest : public test::WindowTest {
protected:
    void SetUp() override {
        test::WriteBytes(folder / "backup.crd", "0\r\n"); // Export SMF needs the sequencer open
        form->start({}), form->showSequencerPane(1);
    }
    ColorScheme WindowScheme() const {
        const Settings s = form->currentSettings(); // what Cadenzo.ini would be written from
        return {PackedColor(s.backGroundTop), PackedColor(s.backGroundBtm),
                PackedColor(s.buttonTop), PackedColor(s.buttonBtm), PackedColor(s.fontColor)};
    }
};

const auto Q = [](const std::filesystem::path& p) { return QString::fromStdString(p.string()); };

void Mouse(QWidget* grid, QEvent::Type type, int cell) { // the left button on a 25 x 25 cell
    test::SendMouse(grid, type, {12 + 25 * (cell % 4), 12 + 25 * (cell / 4)},
                    type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton);
}
constexpr QEvent::Type kPress = QEvent::MouseButtonPress, kRelease = QEvent::MouseButtonRelease;

// A press or left drag previews the cell, the release's click selects it; a colour not among the 16
// selects no cell and a press keeps it; the window changes only on OK, to what the dialog shows.
TEST_F(ExportColorDialogsTest, ColourPreviewFollowsTheGridsEventOrder) {
    form->findChild<ShadowLabel*>(QStringLiteral("l_sig"))->setFontColor(RGB(1, 2, 3));
    const ColorScheme before{clNavy, clBlack, clWhite, clNavy, RGB(1, 2, 3)};
    ASSERT_EQ(WindowScheme(), before);
    ColorDialog* dialog = open<ColorDialog>(child<QAction>("ColorsC1"));
    ColorGrid* grid = dialog->grid();
    EXPECT_EQ(grid->foregroundIndex(), 4); // navy, the background top
    dialog->schemeButton(SchemeColor::ButtonTop)->click();
    EXPECT_EQ(grid->foregroundIndex(), 15); // white
    Mouse(grid, kPress, 9);
    EXPECT_EQ(dialog->shownScheme().buttonTop, clWhite);
    Mouse(grid, QEvent::MouseMove, 10);
    EXPECT_EQ(dialog->shownScheme().buttonTop, clRed);
    Mouse(grid, kRelease, 10);
    EXPECT_EQ(dialog->cancelButton()->colors().color(), clLime);
    dialog->schemeButton(SchemeColor::Font)->click();
    EXPECT_EQ(grid->foregroundIndex(), 16);
    Mouse(grid, kPress, 11);
    EXPECT_EQ(dialog->caption()->fontColor(), RGB(1, 2, 3));
    Mouse(grid, kRelease, 11), dialog->schemeButton(SchemeColor::BackGroundBtm)->click();
    Mouse(grid, kPress, 12), Mouse(grid, kRelease, 12);
    // The radio buttons read like the window's controls: drawn on the background bottom colour.
    const QImage radio = dialog->schemeButton(SchemeColor::ButtonTop)->grab().toImage();
    EXPECT_EQ(radio.pixelColor(radio.width() - 2, radio.height() / 2), QColor(0, 0, 255));
    EXPECT_EQ(WindowScheme(), before);
    dialog->okButton()->click();
    EXPECT_EQ(std::pair(form->isEnabled(), WindowScheme()),
              std::pair(true, ColorScheme{clNavy, clBlue, clLime, clNavy, clYellow}));
}

// A failure says why and loses nothing (dialog and older file stay; no file in a missing folder);
// a good export reads back with python3-mido as the song says, byte-equal to cadenzo-cli's.
TEST_F(ExportColorDialogsTest, ExportWithEveryOptionMatchesTheCommandLine) {
    app->song.insertEvent(test::MakeEvent(0, {0, 0, 0, 0, 0, 0}, 100, 240, 60, 0));
    app->song.insertEvent(test::MakeEvent(480, {3, 3, 4, 5, 5, 3}, 90, 480, 0, 1));
    app->tempo = "96", app->midiSetup.midiChannel = 2;
    const std::filesystem::path out = app->smfFile = folder / "song.mid";
    test::WriteBytes(out, "older");
    auto* dialog = open<ExportSmfDialog>(child<QAction>("ExportSMFE1"));
    dialog->formatList()->setCurrentIndex(SMF_FORMAT1_MULTI);
    dialog->resetList()->setCurrentIndex(SMF_INIT_GS);
    dialog->channelArrows()->upButton()->click(); // 3 -> 4
    dialog->programCheck()->click(), dialog->programList()->setCurrentIndex(3);
    for (auto [fields, text] : {std::pair{&dialog->volume(), "loud"},
                                {&dialog->reverb(), "33"},
                                {&dialog->chorus(), "12"}}) {
        EXPECT_FALSE(fields->edit->isEnabled());
        fields->check->click(), fields->edit->setText(text);
    }
    dialog->okButton()->click(), dialog->volume().edit->setText("90");
    const std::filesystem::path missing = folder / "missing" / "song.mid";
    dialog->askFileName = [&](const QString&) { return Q(missing); };
    dialog->referButton()->click(), dialog->okButton()->click();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].contains("loud") && messages[1].contains("missing"))
        << messages.join('\n').toStdString();
    EXPECT_TRUE(dialog->isVisible() && !std::filesystem::exists(missing.parent_path()));
    EXPECT_EQ(test::ReadBytes(out), "older");
    dialog->askFileName = [&](const QString&) { return Q(out); };
    dialog->referButton()->click(), dialog->okButton()->click();
    EXPECT_TRUE(messages.size() == 2 && form->isEnabled()) << messages.join('\n').toStdString();

    test::WriteBytes(folder / "want.json", R"({"files":[[")" + out.string() + R"(","multi"]],
        "tempo":625000,"channel":3,"time_signatures":[[0,4,4]],"program":27,"end_tick":2880,
        "controllers":[[1450,7,90],[1460,91,33],[1470,93,12]],"reset":[65,16,66,18,64,0,127,0,65],
        "notes":[[1920,2160,40,100,6],[1930,2160,45,100,5],[1940,2160,50,100,4],
                 [1950,2160,55,100,3],[1960,2160,59,100,2],[1970,2160,64,100,1],
                 [2400,2880,67,90,1],[2400,2880,62,90,2],[2400,2880,59,90,3],
                 [2400,2880,55,90,4],[2400,2880,50,90,5],[2400,2880,43,90,6]]})");
    EXPECT_EQ(
        QProcess::execute("/usr/bin/python3", {CADENZO_CHECK_SMF_SCRIPT, Q(folder / "want.json")}),
        0);
    const std::string fromDialog = test::ReadBytes(out);
    const std::filesystem::path song = folder / "song.cz0";
    ASSERT_TRUE(writeSongFile(song, {app->song, app->tempo, app->midiSetup, app->guitar}).ok());
    std::filesystem::remove(out);
    EXPECT_EQ(
        QProcess::execute(CADENZO_CLI, {"export-smf", Q(song), Q(out), "--format", "1m", "--reset",
                                        "gs", "--channel", "4", "--program", "27", "--volume", "90",
                                        "--reverb", "33", "--chorus", "12"}),
        0);
    EXPECT_TRUE(test::ReadBytes(out) == fromDialog);
}

// The file dialog's grid row reaches the export: cadenzo-cli's bytes on that grid (32nd onset).
TEST_F(ExportColorDialogsTest, ExportMusicXmlOnTheChosenGridMatchesTheCommandLine) {
    app->song.insertEvent(test::MakeEvent(60, {0, 1, 0, 2, 3, SILENT}, 100, 90, 60, 1));
    const std::filesystem::path song = folder / "song.cz0", out = folder / "song.musicxml";
    app->song.songPath = song.string();
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QComboBox*>(QStringLiteral("grid"))->setCurrentIndex(1); // "1/32"
        dialog->selectFile(Q(out)), static_cast<QDialog*>(dialog)->accept();       // as Save does
    });
    child<QAction>("ExportMusicXML1")->trigger();
    const std::string fromDialog = test::ReadBytes(out);
    ASSERT_TRUE(writeSongFile(song, {app->song, app->tempo, app->midiSetup, app->guitar}).ok());
    EXPECT_EQ(0,
              QProcess::execute(CADENZO_CLI, {"export-musicxml", Q(song), Q(out), "--grid", "32"}));
    EXPECT_TRUE(test::ReadBytes(out) == fromDialog &&
                fromDialog.find("<duration>60<") != std::string::npos);
}

} // namespace
} // namespace cadenzo
