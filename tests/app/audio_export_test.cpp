// "Export Audio…": the render runs beside the window, which stays in use with its transport off.
#include "support/song_events.h"
#include "support/wait_for.h"
#include "window_fixture.h"

#include <QProgressDialog>
#include <QPushButton>

#include <cstring>

namespace cadenzo::test {
namespace {

// A runtime folder of this program's own, so that tests running side by side never meet.
const TempFolder runtime;
const bool runtimeSet =
    (std::filesystem::permissions(runtime.path, std::filesystem::perms::owner_all),
     qputenv("XDG_RUNTIME_DIR", runtime.path.c_str()));

TEST_F(WindowTest, AudioExportKeepsTheWindowInUseAndWritesOnlyAWholeFile) {
    form->start({}), form->showSequencerPane(1);
    // file, bars of one chord (100 bars at tempo 30 take 13 minutes to play), from the cursor
    // (which stands after the last chord), cancel; the file's start afterwards, the error
    const std::tuple<const char*, int, bool, bool, const char*, const char*> cases[] = {
        {"long.wav", 100, false, true, "earlier", ""},
        {"short.FLAC", 2, false, false, "fLaC", ""},
        {"cursor.wav", 2, true, false, "earlier", "chord lies at or after"}};
    for (const auto& [name, bars, fromCursor, cancel, bytes, error] : cases) {
        app->song.resetSong();
        for (int bar = 0; bar < bars; ++bar)
            app->song.insertEvent(MakeEvent(bar * 4 * TICKS_PER_QUARTER));
        app->song.sortEvents();
        app->song.edit.cursorTick = bars * 4 * TICKS_PER_QUARTER, app->tempo = "30";
        TempFolder out;
        WriteBytes(out / name, "earlier");
        form->askAudioExport = [&] {
            return MainWindow::AudioExportChoice{out / name, fromCursor};
        };
        child<QAction>("ExportAudio1")->trigger();
        auto* progress = child<QProgressDialog>("AudioProgress");
        EXPECT_TRUE(form->audioExportRunning() && progress->isVisible()) << name;
        for (const char* name : {"play_button", "stop_button", "backtop"})
            EXPECT_FALSE(child(name)->isEnabled()) << name;
        EXPECT_FALSE(child<QAction>("ExportAudio1")->isEnabled());
        EXPECT_TRUE(form->handleTypedText(QStringLiteral(" "))); // the space key starts nothing
        EXPECT_EQ(app->playback.transportState(), Transport::Stop);
        // The progress reaches the dialog through the window's own event loop.
        if (cancel) {
            ASSERT_TRUE(
                WaitFor([&] { return QApplication::processEvents(), progress->value() > 0; }));
            progress->findChild<QPushButton*>()->click();
        }
        ASSERT_TRUE(
            WaitFor([&] { return QApplication::processEvents(), !form->audioExportRunning(); }));
        EXPECT_TRUE(child("play_button")->isEnabled() &&
                    child<QAction>("ExportAudio1")->isEnabled());
        EXPECT_EQ(ReadBytes(out / name).substr(0, std::strlen(bytes)), bytes) << name;
        EXPECT_EQ(out.Entries(), 1) << name;
        EXPECT_EQ(errors.size() == 1 && errors[0].contains(error), *error != 0) << name;
        errors.clear();
    }
}

} // namespace
} // namespace cadenzo::test
