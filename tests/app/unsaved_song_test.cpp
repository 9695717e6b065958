#include "app/window_fixture.h"
#include "files/atomic_file.h"

#include <QFileDialog>
#include <QTest>
#include <QTimer>

namespace cadenzo {
namespace {

using Choice = MainWindow::SaveChoice;

class UnsavedSongTest : public test::WindowTest {
protected:
    void SetUp() override {
        app->recoveryFolder = folder / "state";
        form->start({}), form->showSequencerPane(1);
    }
    // Gives the menu command, then looks at the song as the window does after any input.
    bool Command(const char* name) {
        return child<QAction>(name)->trigger(), form->checkSongChanged(), form->isWindowModified();
    }
    std::filesystem::path Copy() const { // this run's recovery copy, or none
        for (const auto& entry : std::filesystem::directory_iterator(folder / "state"))
            if (entry.path().extension() == ".cz0")
                return entry.path();
        return {};
    }
};

TEST_F(UnsavedSongTest, TheCaptionMarksEditsUntilSavedAndTheNeckIsNoEdit) {
    app->guitar.setFrets({0, 1, 0, 2, 3, SILENT});
    EXPECT_FALSE(Command("Exportnote1"));
    // Ctrl+Q as typed: the shortcut reaches the command, and no key press reaches a widget.
    QShortcutEvent typed(QKeySequence(QStringLiteral("Ctrl+Q")), 0);
    QCoreApplication::sendEvent(child<QAction>("Importnote1"), &typed);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->isWindowModified(); }));
    EXPECT_FALSE(Command("UndoZ1")); // back to the song as it was
    EXPECT_TRUE(Command("RedoY1"));
    app->song.songPath = (folder / "a.cz0").string();
    EXPECT_FALSE(Command("SaveSong1"));
    const std::function<void()> edits[] = {[&] { app->tempo = "96"; },
                                           [&] { app->guitar.tuning[5] = 2; },
                                           [&] { app->midiSetup.midiProgram = 25; }};
    for (const auto& edit : edits) { // whatever else Save writes
        edit(), form->checkSongChanged();
        EXPECT_TRUE(form->isWindowModified() && !Command("SaveSong1"));
    }
    EXPECT_TRUE(questions.isEmpty());
}

// New Song, a dropped song and the close ask first; Cancel, and a save that fails, leave all as
// it was; nothing asks for an unchanged song.
TEST_F(UnsavedSongTest, ReplacingOrClosingAChangedSongAsksFirst) {
    // An empty song to drop.
    app->song.songPath = (folder / "other.cz0").string(), child<QAction>("SaveSong1")->trigger();
    const std::function<void()> commands[] = {
        [&] { child<QAction>("NewSongN1")->trigger(); },
        [&] { form->openFileByName(QString::fromStdString((folder / "other.cz0").string())); },
        [&] { form->close(); }};
    for (const auto& command : commands) {
        Command("Importnote1");
        for (const Choice answer : {Choice::Cancel, Choice::Save}) { // Save fails: no such folder
            app->song.songPath = (folder / "missing" / "b.cz0").string();
            saveAnswer = answer, command();
        }
        EXPECT_TRUE(form->isVisible() && app->song.eventCount == 1u);
        EXPECT_EQ(questions, QStringList(2, "Save changes to the song?"));
        saveAnswer = Choice::Discard, command();
        EXPECT_EQ(app->song.eventCount, form->isVisible() ? 0u : 1u); // the close keeps its song
        questions.clear();
        if (form->isVisible())
            command(); // unchanged now
        EXPECT_TRUE(questions.isEmpty());
    }
    EXPECT_TRUE(!form->isVisible() && Copy().empty());
}

// A chart replaces a changed song only after asking, as a new unsaved song; a bad one says where.
TEST_F(UnsavedSongTest, AnImportedChartIsANewUnsavedSong) {
    EXPECT_EQ(child<QAction>("ImportChordChart1")->text(), "Import Chord Chart…");
    EXPECT_EQ(child<QAction>("ExportChordPro1")->text(), "Export ChordPro…");
    test::WriteBytes(folder / "good.txt", "| C | G |\n");
    test::WriteBytes(folder / "bad.txt", "| C |\n| G Cadd9 |\n");
    app->song.songPath = (folder / "a.cz0").string(), Command("Importnote1");
    form->importChordChart(folder / "bad.txt");
    EXPECT_EQ(errors, QStringList(QString::fromStdString(QuotedName(folder / "bad.txt")) +
                                  ": line 2, column 5: unknown chord name \"Cadd9\""));
    for (const Choice answer : {Choice::Cancel, Choice::Discard}) {
        EXPECT_EQ(app->song.eventCount, 1u);
        saveAnswer = answer;
        form->importChordChart(folder / "good.txt");
    }
    EXPECT_EQ(questions, QStringList(2, "Save changes to the song?"));
    EXPECT_TRUE(form->isWindowModified() && app->song.songPath.empty() &&
                !std::filesystem::exists(folder / "a.cz0"));
    form->exportChordProFile(folder / "s.cho");
    EXPECT_TRUE(test::ReadBytes(folder / "s.cho").ends_with("{time: 4/4}\n| [C] | [G] |\n"));
    // The new song's sheet is never offered under the song file opened last, which it replaces.
    app->songFile = folder / "a.cz0";
    QString offered = "no dialog";
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            offered = dialog->selectedFiles().value(0), dialog->reject();
    });
    child<QAction>("ExportChordPro1")->trigger();
    EXPECT_EQ(offered.toStdString(), (folder / "song.cho").string());
}

TEST_F(UnsavedSongTest, AChangedSongIsCopiedAndACopyLeftBehindIsOffered) {
    Command("Importnote1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Copy().empty(); }, 3000));
    const std::string copy = test::ReadBytes(Copy());
    app->song.songPath = (folder / "a.cz0").string(), child<QAction>("SaveSong1")->trigger();
    EXPECT_EQ(copy, test::ReadBytes(folder / "a.cz0")); // the song file as Save writes it
    EXPECT_TRUE(QTest::qWaitFor([&] { return Copy().empty(); }, 3000)); // saving removes it

    // The same copy, left by a run that is gone, offered to a new window.
    test::WriteBytes(folder / "state" / "run-1-gone.cz0", copy);
    test::WriteBytes(folder / "state" / "run-1-gone.name", "/songs/riff.cz0");
    form->close();
    NewForm(), restoreAnswer = MainWindow::RestoreChoice::Restore, questions.clear();
    form->start({});
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].startsWith(
        "Cadenzo did not close properly. Restore the unsaved song (riff.cz0, "));
    EXPECT_EQ(std::tuple(app->song.eventCount, app->song.songPath, form->isWindowModified()),
              std::tuple(1u, "/songs/riff.cz0", true));
    EXPECT_FALSE(std::filesystem::exists(folder / "state" / "run-1-gone.cz0"));
    EXPECT_EQ(Copy().filename().string().substr(0, 4), "run-"); // this run's own
}

} // namespace
} // namespace cadenzo
