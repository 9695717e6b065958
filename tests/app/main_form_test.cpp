#include "app/main_form.h"
#include "controls/shine_speed_button.h"
#include "files/song_file.h"
#include "files/temp_folder.h"
#include "sound/manual_timer.h"
#include "sound/recording_midi_out.h"
#include "support/test_app.h"
#include "views/fretboard_view.h"
#include "views/roll_view.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>

namespace cadenzo {
namespace {

// A recording device that notes how many events the song held when it was opened, so the test
// can see the song named on the command line was loaded before the device was opened.
class OrderCheckingOut : public RecordingMidiOut {
public:
    const Song* song = nullptr;
    int eventsAtOpen = -1;
    MidiStatus open(unsigned device) override {
        eventsAtOpen = song != nullptr ? static_cast<int>(song->eventCount) : -1;
        return RecordingMidiOut::open(device);
    }
};

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        auto out = std::make_unique<OrderCheckingOut>();
        recorder = out.get();
        auto timer = std::make_unique<ManualTimer>();
        clock = timer.get();
        app = std::make_unique<AppContext>(std::move(out), std::move(timer), folder.path);
        recorder->song = &app->song;
        form = std::make_unique<Tmain_form>(*app);
        form->warn = [this](const QString& text) { warnings << text; };
        form->reportError = [this](const QString& text) { errors << text; };
    }
    void TearDown() override {
        if (form->isVisible())
            form->close();
    }
    void Create(const QString& file = {}) { form->FormCreate(file); }
    // Types a key where the window would receive it: the focused control, or the window.
    void Type(Qt::Key key) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : form.get(), key, Qt::NoModifier, -1);
    }

    test::TempFolder folder;
    OrderCheckingOut* recorder = nullptr;
    ManualTimer* clock = nullptr;
    std::unique_ptr<AppContext> app;
    std::unique_ptr<Tmain_form> form;
    QStringList warnings;
    QStringList errors;
};

TEST_F(MainFormTest, FirstRunWritesTheDefaultSettingsAndAnEmptyBackup) {
    Create();
    EXPECT_EQ(test::ReadBytes(folder / "Cadenzo.ini"),
              "CZ0200\r\n0\r\n30\r\n30\r\n422\r\n270\r\n0\r\n8388608\r\n8388608\r\n16777215\r\n"
              "65535\r\n0\r\n24\r\n100\r\n0\r\nTrue\r\nFalse\r\nTrue\r\n0\r\n422\r\n28\r\n23\r\n"
              "19\r\n14\r\n9\r\n4\r\n");
    EXPECT_EQ(test::ReadBytes(folder / "backup.crd"), "0\r\n");
    EXPECT_EQ(form->windowTitle(), QString("Cadenzo v2.02"));
    EXPECT_EQ(form->height(), 270);
    EXPECT_TRUE(form->Playonsetting1->isChecked());
    EXPECT_FALSE(form->Stayontop1->isChecked());
    EXPECT_TRUE(form->ChordSe1->isChecked());
    EXPECT_EQ(app->guitar.tunings(), standardTuning);
    EXPECT_EQ(form->statusPanel[0]->text(), QString("   1 :  1 : 000"));
    EXPECT_EQ(form->statusPanel[3]->text(), QString("STOP"));
    EXPECT_TRUE(errors.isEmpty()) << errors.join("; ").toStdString();
    EXPECT_TRUE(recorder->isOpen());
    EXPECT_GE(recorder->resetCount(), 1);
}

TEST_F(MainFormTest, SongOnTheCommandLineIsLoadedBeforeTheDeviceOpens) {
    {
        Song song;
        song.NewSong();
        SongEvent e;
        e.tick = 480;
        e.frets = {0, 1, 0, 2, 3, 0};
        e.velocity = 100;
        e.gate = 240;
        song.PutEvent(e);
        song.SortEvents();
        std::string tempo = "120";
        MidiSetup midi;
        Guitar guitar;
        guitar.setTuning(standardTuning);
        ASSERT_TRUE(WriteSongFile(folder / "a.cz0", {song, tempo, midi, guitar}).ok());
    }
    Create(QString::fromStdString((folder / "a.cz0").string()));
    EXPECT_EQ(app->song.eventCount, 1u);
    EXPECT_EQ(recorder->eventsAtOpen, 1);
    EXPECT_TRUE(warnings.isEmpty());
}

TEST_F(MainFormTest, UnsupportedFileTypesAreRefusedCaseSensitively) {
    Create(QString::fromStdString((folder / "A.CZ0").string()));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0], QString("out of support this file type"));
    form->OpenFileByName(QStringLiteral("notes.txt"));
    EXPECT_EQ(warnings.size(), 2);
    form->OpenFileByName(QString());
    EXPECT_EQ(warnings.size(), 2);
}

TEST_F(MainFormTest, DroppingSeveralFilesOpensOnlyTheFirst) {
    Create();
    test::WriteBytes(folder / "one.crd", "1\r\nAm\r\n1\r\n0\r\n1\r\n2\r\n2\r\n0\r\n255\r\n");
    test::WriteBytes(folder / "two.crd", "2\r\nA\r\n0\r\n0\r\n2\r\n2\r\n2\r\n0\r\n255\r\n"
                                         "B\r\n0\r\n2\r\n4\r\n4\r\n4\r\n2\r\n255\r\n");
    form->FilesDropped({QUrl::fromLocalFile(QString::fromStdString((folder / "one.crd").string())),
                        QUrl::fromLocalFile(QString::fromStdString((folder / "two.crd").string())),
                        QUrl::fromLocalFile(QStringLiteral("/nowhere/notes.txt"))});
    EXPECT_EQ(form->usr->count(), 2);
    EXPECT_EQ(form->usr->itemText(1), QString("Am : A"));
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_TRUE(errors.isEmpty()) << errors.join("; ").toStdString();
}

TEST_F(MainFormTest, ClosingSavesSettingsAndChordsAndClosesThePort) {
    Create();
    form->SetSeqPane(1);
    app->guitar.tuning[5] = 2;
    app->userChords.userChordCount = 1;
    app->userChords.userChordName[1] = "Dsus";
    app->userChords.userChordKey[1] = 4;
    app->userChords.userChordFlet[1] = {3, 3, 2, 0, SILENT, SILENT};
    form->close();
    const std::string ini = test::ReadBytes(folder / "Cadenzo.ini");
    EXPECT_NE(ini.find("CZ0200\r\n1\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\r\n500\r\n"), std::string::npos);
    EXPECT_EQ(ini.substr(ini.size() - 3), "2\r\n");
    EXPECT_EQ(test::ReadBytes(folder / "backup.crd"),
              "1\r\nDsus\r\n4\r\n3\r\n3\r\n2\r\n0\r\n255\r\n255\r\n");
    EXPECT_FALSE(recorder->isOpen());
}

TEST_F(MainFormTest, CloseCommandWritesTheSameSettingsTwice) {
    Create();
    form->Close1Click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(SettingsText(form->CurrentSettings()), test::ReadBytes(folder / "Cadenzo.ini"));
}

TEST_F(MainFormTest, MenusHaveTheirCaptionsShortcutsAndPaneRules) {
    Create();
    EXPECT_EQ(form->File1->title(), QString("File(&F)"));
    EXPECT_EQ(form->EditE1->title(), QString("Edit (&E)"));
    EXPECT_EQ(form->NewSongN1->text(), QString("New Song(&N)"));
    EXPECT_EQ(form->NewSongN1->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(form->AllClearonFletQ1->text(), QString("All Clear on Flet (&F)"));
    EXPECT_EQ(form->Importnote1->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(form->Exportnote1->shortcut(), QKeySequence("Ctrl+A"));
    EXPECT_EQ(form->Help2->shortcut(), QKeySequence("Ctrl+H"));
    EXPECT_TRUE(form->Playonsetting1->isCheckable());
    // Separators stand after these items.
    const auto followedBySeparator = [](QMenu* menu, QAction* item) {
        const QList<QAction*> actions = menu->actions();
        const qsizetype i = actions.indexOf(item);
        return i >= 0 && i + 1 < actions.size() && actions[i + 1]->isSeparator();
    };
    EXPECT_TRUE(followedBySeparator(form->File1, form->NewSongN1));
    EXPECT_TRUE(followedBySeparator(form->File1, form->LoadSong1));
    EXPECT_TRUE(followedBySeparator(form->File1, form->SaveSong1));
    EXPECT_TRUE(followedBySeparator(form->File1, form->ExportSMFE1));
    EXPECT_TRUE(followedBySeparator(form->EditE1, form->UndoZ1));
    EXPECT_TRUE(followedBySeparator(form->EditE1, form->AllClearonFletQ1));
    EXPECT_TRUE(followedBySeparator(form->SetUp1, form->instrument1));
    EXPECT_TRUE(followedBySeparator(form->SetUp1, form->Stayontop1));
    EXPECT_TRUE(followedBySeparator(form->Help1, form->Help2));

    for (QAction* item : {form->NewSongN1, form->LoadSong1, form->SaveSong1, form->ExportSMFE1,
                          form->SaveSongasnew1, form->EditE1->menuAction()})
        EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
    EXPECT_TRUE(form->LoadUserChordL1->isEnabled());
    form->SeqBtnClick();
    EXPECT_EQ(form->height(), 500);
    for (QAction* item : {form->NewSongN1, form->LoadSong1, form->SaveSong1, form->ExportSMFE1,
                          form->SaveSongasnew1, form->EditE1->menuAction()})
        EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();
}

TEST_F(MainFormTest, WideningToTheLimitShowsTwentyTwoFrets) {
    Create();
    form->resize(1300, form->height());
    QApplication::processEvents();
    EXPECT_EQ(app->guitar.neckSpan, 22);
    EXPECT_EQ(form->fretboard->neckBar->maximum(), 2);
    form->resize(2000, form->height());
    QApplication::processEvents();
    EXPECT_EQ(form->width(), 1300);
}

TEST_F(MainFormTest, ChoosingAChordWritesItsVoicingAndStayOnTopKeepsTheLists) {
    Create();
    form->Chord1->setCurrentIndex(1); // " C"
    form->Chord1Change();
    EXPECT_EQ(app->guitar.frets(), (Frets{0, 1, 0, 2, 3, 0}));
    form->Position_Click(2);
    EXPECT_EQ(app->guitar.frets(), (Frets{8, 8, 9, 10, 10, 8}));
    EXPECT_EQ(form->fretboard->neckBar->value(), 8);

    form->Chord2->setCurrentIndex(5);
    form->roll->rollPrintMode->setCurrentIndex(1);
    form->Stayontop1Click();
    EXPECT_TRUE(form->Stayontop1->isChecked());
    EXPECT_EQ(form->Chord2->currentIndex(), 5);
    EXPECT_EQ(form->roll->rollPrintMode->currentIndex(), 1);
    EXPECT_EQ(form->Chord1->currentIndex(), 1); // recognition ran: C M H is on the neck
}

TEST_F(MainFormTest, HandMadeShapeIsNamedWhenChordSearchIsOn) {
    Create();
    app->guitar.neckPos = 1;
    app->guitar.setFrets({0, 0, 0, 0, 0, 0});
    // Clicks that make C major L: string 1 fret 1, string 3 fret 2, string 4 fret 3.
    form->fretboard->NeckScreenMouseDown(Qt::LeftButton, 30, 45);
    form->fretboard->NeckScreenMouseDown(Qt::LeftButton, 80, 75);
    form->fretboard->NeckScreenMouseDown(Qt::LeftButton, 130, 90);
    EXPECT_EQ(app->guitar.frets(), (Frets{0, 1, 0, 2, 3, 0}));
    EXPECT_EQ(form->Chord1->currentIndex(), 1);
    EXPECT_EQ(form->Chord2->currentIndex(), 0);
}

TEST_F(MainFormTest, KeyLetterRecallsAUserChord) {
    test::WriteBytes(folder / "backup.crd", "2\r\nAm\r\n1\r\n0\r\n1\r\n2\r\n2\r\n0\r\n255\r\n"
                                            "Bm\r\n2\r\n2\r\n3\r\n4\r\n4\r\n2\r\n255\r\n");
    Create();
    EXPECT_EQ(form->usr->count(), 3);
    EXPECT_EQ(form->usr->itemText(2), QString("Bm : B"));
    Type(Qt::Key_B);
    EXPECT_EQ(form->usr->currentIndex(), 2);
    EXPECT_EQ(app->guitar.frets(), (Frets{2, 3, 4, 4, 2, SILENT}));
    app->guitar.setFrets({0, 0, 0, 0, 0, 0});
    Type(Qt::Key_Q); // no chord holds Q
    EXPECT_EQ(app->guitar.frets(), (Frets{2, 3, 4, 4, 2, SILENT}));
}

TEST_F(MainFormTest, DownStrokeReachesTheDeviceStringByString) {
    Create();
    recorder->clear();
    app->strummer.DownStBtnMouseDown(true);
    ASSERT_EQ(recorder->sent().size(), 128u); // the silence before the stroke
    clock->fire(7);
    std::vector<int> notes;
    for (const auto& m : recorder->sent())
        if ((m.status() & 0xF0) == 0x90)
            notes.push_back(m.data1());
    EXPECT_EQ(notes, (std::vector<int>{40, 45, 50, 55, 59, 64}));
}

TEST_F(MainFormTest, SavedSongLoadsBackWithItsTuningAndFretsOnTheNeck) {
    Create();
    app->song.songPath = (folder / "tune.cz0").string();
    app->guitar.setTuning(tunePreset[7].values); // Drop D
    app->guitar.setFrets({0, 0, 1, 2, 2, 2});
    form->SaveSong1Click(); // a song with a name is saved without asking
    EXPECT_EQ(form->statusPanel[3]->text(), QString("Saved."));
    form->NewSongN1Click();
    EXPECT_TRUE(app->song.songPath.empty());
    app->guitar.setTuning(standardTuning);
    app->guitar.setFrets({0, 0, 0, 0, 0, 0});

    form->OpenFileByName(QString::fromStdString((folder / "tune.cz0").string()));
    EXPECT_EQ(form->statusPanel[3]->text(), QString("Loaded."));
    EXPECT_EQ(form->statusPanel[2]->text(), QString::fromStdString((folder / "tune.cz0").string()));
    EXPECT_EQ(app->guitar.tunings(), tunePreset[7].values);
    EXPECT_EQ(app->guitar.frets(), (Frets{0, 0, 1, 2, 2, 2}));
    EXPECT_EQ(form->Chord1->currentIndex(), 5); // E major in Drop D, named on the neck
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(MainFormTest, SongFileWithAnotherMagicIsRefusedAndLeavesAnEmptySong) {
    Create();
    test::WriteBytes(folder / "other.cz0", "CZ0100 something else");
    form->OpenFileByName(QString::fromStdString((folder / "other.cz0").string()));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], QString("out of support this file type"));
    EXPECT_EQ(app->song.eventCount, 0u);
    EXPECT_NE(form->statusPanel[3]->text(), QString("Loaded."));
}

TEST_F(MainFormTest, SpaceRunsTheTransportOnlyWithThePaneOpen) {
    Create();
    SongEvent e;
    e.tick = 0;
    e.frets = {0, 1, 0, 2, 3, 0};
    e.velocity = 100;
    e.gate = 240;
    e.strokeTime = 60;
    app->song.PutEvent(e);
    app->song.SortEvents();

    Type(Qt::Key_Space);
    EXPECT_EQ(app->playback.transportState(), Transport::STOP);
    EXPECT_FALSE(clock->running());

    form->SetSeqPane(1);
    Type(Qt::Key_Space);
    EXPECT_EQ(app->playback.transportState(), Transport::PLAY);
    EXPECT_EQ(form->statusPanel[3]->text(), QString("PLAY"));
    EXPECT_TRUE(clock->running());
    Type(Qt::Key_Space);
    EXPECT_EQ(form->statusPanel[3]->text(), QString("PAUSE"));
    Type(Qt::Key_Space);
    EXPECT_EQ(form->statusPanel[3]->text(), QString("PLAY"));

    form->NewSongN1Click(); // a new song stops playback first
    EXPECT_FALSE(clock->running());
    EXPECT_EQ(form->statusPanel[3]->text(), QString("STOP"));
}

TEST_F(MainFormTest, HelpOpensTheManualBesideTheWorkingFolder) {
    Create();
    QString opened;
    form->openDocument = [&opened](const QString& path) { opened = path; };
    form->Help2Click();
    EXPECT_EQ(opened, QDir::current().filePath("manual/Cadenzo.html"));
}

} // namespace
} // namespace cadenzo
