// Cost of playback with the sequencer pane open, at tempo 300 on a full song: the timer thread's
// work per tick, and the window thread's play line (display-rate refreshes, page turns included)
// per second of playback. Prints figures; never fails on a time.
#include "app/main_window.h"
#include "app/sequencer_pane.h"
#include "sound/manual_timer.h"
#include "sound/recording_midi_out.h"
#include "views/sequence_view.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

double Micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    const auto folder = std::filesystem::temp_directory_path() / "cadenzo-play-line-bench";
    std::filesystem::create_directories(folder);

    auto out = std::make_unique<cadenzo::RecordingMidiOut>();
    auto timer = std::make_unique<cadenzo::ManualTimer>();
    cadenzo::ManualTimer* clock = timer.get();
    cadenzo::AppContext app(std::move(out), std::move(timer), folder);
    cadenzo::MainWindow form(app);
    form.warn = [](const QString&) {};
    form.reportError = [](const QString&) {};
    form.start({});
    form.showSequencerPane(1);
    form.resize(1300, form.height());
    auto* pane = form.findChild<cadenzo::SequencerPane*>(QStringLiteral("sequencerPane"));
    QApplication::processEvents();

    // 2000 chords, one every 80 ticks (about 83 bars), all six strings.
    for (std::uint32_t i = 0; i < 2000; ++i) {
        cadenzo::SongEvent e;
        e.tick = i * 80;
        e.frets = {0, 1, 0, 2, 3, 0};
        e.velocity = 100;
        e.gate = 70;
        e.strokeTime = 30;
        app.song.insertEvent(e);
    }
    app.song.sortEvents();
    app.tempo = "300";
    pane->songReplaced(false);
    pane->playClick();

    // One second of playback is 500 ticks of 2 ms; the window refreshes the line 60 times in it.
    constexpr int kSeconds = 60;
    constexpr int kTicksPerSecond = 500;
    constexpr int kRefreshesPerSecond = 60;
    Clock::duration timerTime{}, windowTime{}, paintTime{};
    int ticks = 0;
    for (int s = 0; s < kSeconds; ++s) {
        for (int r = 0; r < kRefreshesPerSecond; ++r) {
            const int upTo = (r + 1) * kTicksPerSecond / kRefreshesPerSecond;
            const auto t0 = Clock::now();
            for (; ticks < s * kTicksPerSecond + upTo; ++ticks)
                clock->fire();
            const auto t1 = Clock::now();
            pane->followPlayLine();
            const auto t2 = Clock::now();
            QApplication::processEvents(); // the repaint the line asked for
            paintTime += Clock::now() - t2;
            windowTime += Clock::now() - t1;
            timerTime += t1 - t0;
        }
    }
    const double perTick = Micros(timerTime) / ticks;
    const double windowPerSecond = Micros(windowTime) / kSeconds;
    const double timerPerSecond = perTick * kTicksPerSecond;
    std::printf("played %d ticks (%d s at tempo 300), view at bar %d\n", ticks, kSeconds,
                static_cast<int>(app.song.edit.viewBar) + 1);
    std::printf("timer thread:  %.2f us per tick, %.0f us per second of playback\n", perTick,
                timerPerSecond);
    std::printf("window thread: %.0f us per second of playback (play line and page turns), "
                "%.0f us of it in painting the window\n",
                windowPerSecond, Micros(paintTime) / kSeconds);
    std::printf("together:      %.3f %% of one core\n",
                (timerPerSecond + windowPerSecond) / 1e6 * 100.0);
    form.close();
    std::filesystem::remove_all(folder);
    return 0;
}
