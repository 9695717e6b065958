#include "app/window_fixture.h"
#include "files/song_file.h"

#include <QTest>

namespace cadenzo {
namespace {

using Choice = MainWindow::SaveChoice;

class UnsavedSongTest : public test::WindowTest {
protected:
    void SetUp() override {
        app->recoveryFolder = folder / "state";
        form->start({});
        form->showSequencerPane(1);
    }
    void Enter() {
        child<QAction>("Importnote1")->trigger();
        form->checkSongChanged();
    }
    std::uint32_t Events() const { return app->song.eventCount; }
    long Copies() const {
        long n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder / "state"))
            n += entry.path().extension() == ".cz0";
        return n;
    }
};

TEST_F(UnsavedSongTest, TheCaptionMarksEditsUntilSavedAndTheNeckIsNoEdit) {
    EXPECT_EQ(form->windowTitle(), "Cadenzo v2.02[*]");
    EXPECT_FALSE(form->isWindowModified());
    app->guitar.setFrets({0, 1, 0, 2, 3, SILENT});
    form->checkSongChanged();
    EXPECT_FALSE(form->isWindowModified());
    Enter();
    EXPECT_TRUE(form->isWindowModified());
    child<QAction>("UndoZ1")->trigger(); // back to the song as loaded
    form->checkSongChanged();
    EXPECT_FALSE(form->isWindowModified());
    Enter();
    app->song.songPath = (folder / "a.cz0").string();
    child<QAction>("SaveSong1")->trigger();
    EXPECT_FALSE(form->isWindowModified());
    app->tempo = "96";
    form->checkSongChanged();
    EXPECT_TRUE(form->isWindowModified());
    EXPECT_TRUE(questions.isEmpty());
}

// New Song, a dropped song and the close ask first; Cancel, and a save that fails, leave all as
// it was; nothing asks for an unchanged song.
TEST_F(UnsavedSongTest, ReplacingOrClosingAChangedSongAsksFirst) {
    app->song.songPath = (folder / "other.cz0").string();
    child<QAction>("SaveSong1")->trigger(); // an empty song to drop
    const std::function<void()> commands[] = {
        [&] { child<QAction>("NewSongN1")->trigger(); },
        [&] { form->openFileByName(QString::fromStdString((folder / "other.cz0").string())); },
        [&] { form->close(); }};
    for (const auto& command : commands) {
        Enter();
        saveAnswer = Choice::Cancel;
        command();
        app->song.songPath = (folder / "missing" / "b.cz0").string();
        saveAnswer = Choice::Save; // fails: no such folder
        command();
        EXPECT_EQ(Events(), 1u);
        EXPECT_TRUE(form->isVisible());
        ASSERT_EQ(questions.size(), 2);
        EXPECT_EQ(questions[0], "Save changes to the song?");
        saveAnswer = Choice::Discard;
        command();
        EXPECT_EQ(Events(), form->isVisible() ? 0u : 1u); // the close keeps the song it ends
        questions.clear();
        errors.clear();
        if (form->isVisible()) {
            command(); // unchanged now
            EXPECT_TRUE(questions.isEmpty());
        }
    }
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(Copies(), 0);
}

TEST_F(UnsavedSongTest, AChangedSongIsCopiedAndACopyLeftBehindIsOffered) {
    Enter();
    QTRY_COMPARE_WITH_TIMEOUT(Copies(), 1, 3000);
    const auto run = std::filesystem::directory_iterator(folder / "state");
    std::filesystem::path copy;
    for (const auto& entry : run)
        if (entry.path().extension() == ".cz0")
            copy = entry.path();
    const auto bytes = encodeSongFile({app->song, app->tempo, app->midiSetup, app->guitar});
    EXPECT_EQ(test::ReadBytes(copy), std::string(bytes.begin(), bytes.end()));

    // The same copy, left by a run that is gone, offered to a new window.
    test::WriteBytes(folder / "state" / "run-1-gone.cz0", test::ReadBytes(copy));
    test::WriteBytes(folder / "state" / "run-1-gone.name", "/songs/riff.cz0");
    form->close(); // Discard: this run's copy goes
    EXPECT_EQ(Copies(), 1);
    NewForm();
    restoreAnswer = MainWindow::RestoreChoice::Restore;
    questions.clear();
    app->playback.resetSong();
    form->start({});
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].startsWith(
        "Cadenzo did not close properly. Restore the unsaved song (riff.cz0, "));
    EXPECT_EQ(Events(), 1u);
    EXPECT_EQ(app->song.songPath, "/songs/riff.cz0");
    EXPECT_TRUE(form->isWindowModified());
    EXPECT_FALSE(std::filesystem::exists(folder / "state" / "run-1-gone.cz0"));
    EXPECT_EQ(Copies(), 1); // this run's own
}

} // namespace
} // namespace cadenzo
