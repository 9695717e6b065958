#include "app/preferences.h"
#include "app/window_fixture.h"
#include "controls/shine_speed_button.h"
#include "files/chord_file.h"
#include "support/first_run_settings.h"
#include "support/song_events.h"
#include "views/fretboard_view.h"
#include "views/roll_view.h"
#include "views/sequence_view.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <vector>

namespace cadenzo {
namespace {

class MainWindowTest : public test::WindowTest {
protected:
    bool RollShowsABar() const {
        const QImage& picture = form->rollView().rollImage->picture();
        for (int y = 0; y < picture.height(); ++y)
            if (picture.pixel(70, y) == qRgb(255, 0, 0))
                return true;
        return false;
    }
    // Types a key where the window would receive it: the focused control, or the window.
    void Type(Qt::Key key) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : form.get(), key, Qt::NoModifier, -1);
    }
};

TEST_F(MainWindowTest, FirstRunWritesTheDefaultsAndClosingSavesSettingsChordsAndThePort) {
    form->start({});
    EXPECT_EQ(test::ReadBytes(folder / "Cadenzo.ini"), test::firstRunSettings);
    EXPECT_EQ(test::ReadBytes(folder / "backup.crd"), "0\r\n");
    EXPECT_EQ(form->height(), 270);
    EXPECT_EQ(child<QLabel>("StatusPanel0")->text(), QString("   1 :  1 : 000"));
    EXPECT_TRUE(errors.isEmpty() && recorder->isOpen()) << errors.join("; ").toStdString();

    form->showSequencerPane(1), app->guitar.tuning[5] = 2;
    const std::string dsus = "1\r\nDsus\r\n4\r\n3\r\n3\r\n2\r\n0\r\n255\r\n255\r\n";
    ASSERT_TRUE(readChordText(app->userChords, dsus, "dsus.crd"));
    form->close();
    const std::string ini = test::ReadBytes(folder / "Cadenzo.ini");
    EXPECT_EQ(ini.substr(0, 11), "CZ0200\r\n1\r\n") << ini;
    EXPECT_NE(ini.find("\r\n500\r\n"), std::string::npos);
    EXPECT_EQ(ini.substr(ini.size() - 17), "\r\n2\r\nRecorder 0\r\n"); // the name of line 15
    EXPECT_TRUE(test::ReadBytes(folder / "backup.crd") == dsus && !recorder->isOpen());
}

// The loop takes the selection's whole bars; the practice values live in the preferences file.
TEST_F(MainWindowTest, LoopSelectionBandsItsBarsAndThePracticeValuesOutliveTheWindow) {
    qputenv("XDG_CONFIG_HOME", QByteArray((folder / "config").c_str()));
    form->start({}), form->showSequencerPane(1);
    app->song.edit.anchorTick = 2000, app->song.edit.cursorTick = 5760; // in bars 2 and 3
    child<QSpinBox>("speed")->setValue(60);
    child<QAction>("LoopSelection1")->trigger();
    const Practice p = app->playback.practice();
    EXPECT_EQ(std::tuple(p.loop, p.loopFirstBar, p.loopLastBar, p.speedPercent),
              std::tuple(true, 2, 3, 60));
    const auto band = [&] {
        const QImage shown = child<SequenceView>("seq_screen")->screenImage();
        int n = 0;
        for (int x = 0; x < shown.width(); ++x)
            n += shown.pixel(x, 8) == 0xFFFFD080u;
        return n;
    };
    EXPECT_GT(band(), 50);
    form->close();
    NewForm();
    form->start({});
    EXPECT_EQ(std::pair(child<QToolButton>("loop")->isChecked(), child<QSpinBox>("speed")->value()),
              std::pair(true, 60));
    child<QToolButton>("loop")->click();
    EXPECT_EQ(std::tuple(app->playback.practice().loop, band()), std::tuple(false, 0));
    // The synthesizer's quiet time is written for the user to find, and read back in range.
    QSettings file(preferencesFilePath(), QSettings::IniFormat);
    EXPECT_TRUE(file.contains("Synthesizer/pauseAfterQuietSeconds"));
    for (auto [text, seconds] :
         {std::pair{"20", 20.0}, {"7.5", 7.5}, {"-5", 0.0}, {"1e9", 3600.0}, {"soon", 20.0}}) {
        file.setValue("Synthesizer/pauseAfterQuietSeconds", text);
        EXPECT_EQ(synthesizerPauseSeconds(file), seconds) << text;
    }
}

// Save must not write the empty song over the file (nor over the song opened before it).
TEST_F(MainWindowTest, ASongThatFailedToLoadKeepsNoNameToSaveUnder) {
    form->start({});
    app->song.songPath = (folder / "good.cz0").string(), form->onSaveSongTriggered();
    test::WriteBytes(folder / "other.cz0", "CZ0100 something else");
    for (const char* name : {"good.cz0", "other.cz0"}) {
        form->openFileByName(QString::fromStdString((folder / name).string()));
        EXPECT_EQ(app->song.songPath, name[0] == 'g' ? (folder / name).string() : "");
    }
    EXPECT_TRUE(child<QLabel>("StatusPanel2")->text().isEmpty());
}

// Also for a name on the command line or dropped; no keeps the table and the files.
TEST_F(MainWindowTest, OpeningAMissingChordFileAsksBeforeCreatingIt) {
    test::WriteBytes(folder / "backup.crd", "1\r\nAm\r\n1\r\n0\r\n1\r\n2\r\n2\r\n0\r\n255\r\n");
    form->start({});
    QStringList asked;
    for (const bool yes : {false, true}) {
        form->ask = [&asked, yes](const QString& text) { return asked << text, yes; };
        form->openUserChordFile(QString::fromStdString((folder / "typo.crd").string()));
        EXPECT_EQ(app->userChords.userChordCount, yes ? 0 : 1);
        EXPECT_EQ(std::filesystem::exists(folder / "typo.crd"), yes);
    }
    form->ask = [&asked](const QString& text) { return asked << text, false; };
    form->openFileByName(QString::fromStdString((folder / "typo2.crd").string()));
    EXPECT_FALSE(std::filesystem::exists(folder / "typo2.crd"));
    ASSERT_EQ(asked.size(), 3);
    EXPECT_EQ(asked[0], QString::fromStdString((folder / "typo.crd").string()) +
                            " does not exist. Create it?");
}

// Off every screen: a monitor since unplugged; the window must come back whole.
TEST_F(MainWindowTest, StartChoosesTheProgramOnTheChannelAndOpensAWindowOffEveryScreenOnOne) {
    test::WriteBytes(folder / "Cadenzo.ini",
                     "CZ0200\r\n0\r\n-5000\r\n5000\r\n422\r\n270\r\n0\r\n8388608\r\n8388608\r\n"
                     "16777215\r\n65535\r\n5\r\n33\r\n100\r\n0\r\nTrue\r\nFalse\r\nTrue\r\n0\r\n"
                     "422\r\n28\r\n23\r\n19\r\n14\r\n9\r\n4\r\nRecorder 2\r\n");
    form->start({});
    EXPECT_EQ(app->midiSetup.midiDevice, 2); // found by its name
    ASSERT_FALSE(recorder->sent().empty());
    EXPECT_EQ(recorder->sent().back().message, packShortMsg(0xC5, 33, 0));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(QRect(form->pos(), form->size()))) << form->x() << "," << form->y();
}

// A break part-way (even line 6 holding 0) still sets the pane and height; later lines default, so
// the tuning stays standard. A backup that fails to read may hold chords: the close keeps it.
TEST_F(MainWindowTest, BrokenSettingsAndBackupFilesStillSetThePaneAndAreKept) {
    test::WriteBytes(folder / "Cadenzo.ini", "CZ0200\r\n1\r\n30\r\n30\r\n422\r\n0\r\nnavy\r\n");
    test::WriteBytes(folder / "backup.crd", "2\r\nAm\r\n1\r\n");
    form->start({});
    ASSERT_EQ(errors.size(), 1); // both files in one box
    EXPECT_TRUE(errors[0].contains("Cadenzo.ini") && errors[0].contains("backup.crd"));
    EXPECT_TRUE(form->height() == 500 && child<QAction>("SaveSong1")->isEnabled());
    EXPECT_EQ(app->guitar.tunings(), standardTuning);
    form->close();
    EXPECT_EQ(test::ReadBytes(folder / "backup.crd"), "2\r\nAm\r\n1\r\n");
}

// /proc refuses writes even to root.
TEST_F(MainWindowTest, AFolderThatCannotBeWrittenGivesOneMessageAtStartAndOneAtClose) {
    app->startDir = "/proc";
    form->start({});
    ASSERT_EQ(errors.size(), 1) << errors.join("\n--\n").toStdString();
    EXPECT_TRUE(errors[0].startsWith("Cadenzo cannot write in its folder \"/proc\""));
    form->close();
    ASSERT_EQ(errors.size(), 2) << errors.join("\n--\n").toStdString();
    EXPECT_TRUE(errors[1].contains("Cadenzo.ini") && errors[1].contains("backup.crd"));
}

TEST_F(MainWindowTest, SpaceRunsTheTransportOnlyWithThePaneOpen) {
    form->start({});
    app->song.insertEvent(test::MakeEvent(0, {0, 1, 0, 2, 3, 0}, 100, 240)); // the only one
    const auto status = [this] { return child<QLabel>("StatusPanel3")->text(); };
    Type(Qt::Key_Space);
    EXPECT_EQ(std::pair(status(), clock->running()), std::pair(QString("STOP"), false));
    form->showSequencerPane(1);
    for (const char* shown : {"PLAY", "PAUSE", "PLAY"}) {
        Type(Qt::Key_Space);
        EXPECT_EQ(status(), QString(shown));
    }
    EXPECT_TRUE(clock->running());
    form->onNewSongTriggered(); // a new song stops playback first
    EXPECT_EQ(std::pair(status(), clock->running()), std::pair(QString("STOP"), false));
}

TEST_F(MainWindowTest, ClearingTheNeckRefreshesTheRollViewAndTheChordLists) {
    test::WriteBytes(folder / "backup.crd", "1\r\nC\r\n3\r\n0\r\n1\r\n0\r\n2\r\n3\r\n0\r\n");
    form->start({}), child<QAction>("ChordSe1")->setChecked(true);
    for (const auto& clear : std::vector<std::function<void()>>{
             [this] { QTest::mouseClick(child<ShineSpeedButton>("stClrBtn"), Qt::LeftButton); },
             [this] { child<QAction>("AllClearonFletQ1")->trigger(); }}) {
        child<QComboBox>("Chord1")->setCurrentIndex(1), form->onChordRootChanged(); // " C"
        ASSERT_EQ(child<QComboBox>("usr")->currentIndex(), 1);
        ASSERT_TRUE(RollShowsABar());
        recorder->clear(), clear();
        EXPECT_EQ(std::tuple(app->guitar.currentFrets(), child<QComboBox>("Chord1")->currentIndex(),
                             child<QComboBox>("usr")->currentIndex(), RollShowsABar()),
                  std::tuple(Frets{SILENT, SILENT, SILENT, SILENT, SILENT, SILENT}, 0, 0, false));
        EXPECT_TRUE(recorder->sent().empty());
    }
}

// A wider window clamping the neck scroll bar is not the user scrolling: no notes cut, the chord
// lists stay. 400 to 1300 px, pane shut or open: no control overlaps another but its container.
TEST_F(MainWindowTest, ResizingTheWindowIsNoNeckScrollAndOverlapsNoControls) {
    form->start({}), child<QAction>("ChordSe1")->setChecked(true);
    QScrollBar* bar = form->fretboardView().neckScrollBar;
    bar->setValue(bar->maximum()); // the user scrolls to the far end
    ASSERT_EQ(app->guitar.neckPos, 19);
    child<QComboBox>("Chord1")->setCurrentIndex(3), recorder->clear(); // shown, not applied
    for (const int width : {1300, 422}) {
        form->resize(width, form->height()), QApplication::processEvents();
        EXPECT_TRUE(recorder->sent().empty()) << width;
        EXPECT_EQ(child<QComboBox>("Chord1")->currentIndex(), 3) << width;
        EXPECT_EQ(bar->value(), app->guitar.neckPos) << width;
    }
    EXPECT_EQ(app->guitar.neckPos, 2);

    const QRegularExpression named("^(?!qt_|backGround$|rollbar$).");
    const auto place = [](QWidget* w) { return QRect(w->mapToGlobal(QPoint()), w->size()); };
    for (int step = 0; step < 74; ++step) {
        form->showSequencerPane(step / 37), form->resize(400 + step % 37 * 25, form->height());
        for (QWidget* a : form->findChildren<QWidget*>(named))
            for (QWidget* b : form->findChildren<QWidget*>(named))
                EXPECT_TRUE(a >= b || !a->isVisible() || !b->isVisible() || a->isAncestorOf(b) ||
                            b->isAncestorOf(a) || !place(a).intersects(place(b)))
                    << form->width() << qPrintable(" " + a->objectName() + " " + b->objectName());
    }
}

// Not as the missing glyph's box, nor as a space.
TEST_F(MainWindowTest, TheRollModeListDrawsTheFullWidthAmpersandWithoutABox) {
    form->start({});
    auto* list = child<QComboBox>("rollPrintMode");
    const QString text = list->itemText(1);
    const auto drawn = [list](const QString& shown) {
        list->setItemText(list->currentIndex(), shown);
        return list->grab().toImage();
    };
    const QImage real = drawn(text);
    for (const char16_t standIn : {u'\u0378', u' '})
        EXPECT_FALSE(real == drawn(QString(text).replace(u'＆', standIn))) << int(standIn);
}

} // namespace
} // namespace cadenzo
