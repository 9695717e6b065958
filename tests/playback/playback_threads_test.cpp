// Plays on the real periodic timer while the window thread keeps editing the song.
#include "playback_fixture.h"

#include "sound/periodic_timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace cadenzo {
namespace {

TEST(PlaybackThreads, PlayingWhileEditingTheSong) {
    Song song;
    MidiSetup midi;
    RecordingMidiOut out;
    MidiPort port{out, midi};
    Guitar guitar;
    guitar.setTuning(standardTuning);
    PeriodicTimer timer;
    PlaybackEngine engine{song, port, guitar, timer};
    RecordingListener ui;
    engine.setListener(&ui);
    out.open(0);

    for (std::uint32_t i = 0; i < 200; ++i)
        song.PutEvent(Chord(i * 40, {0, 1, 2, 3, 4, 5}, 40, 20, static_cast<std::uint8_t>(i % 2)));
    song.SortEvents();
    ASSERT_EQ(engine.StartPlay("300"), PlaybackEngine::StartResult::Started);

    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
    std::uint32_t round = 0;
    while (std::chrono::steady_clock::now() < until) {
        const auto t = static_cast<std::int32_t>((round * 80) % 8000);
        {
            // One edit: clear, put, sort, with the tick kept out in between.
            std::lock_guard lock(song.mutex);
            song.ClearRange(t, t + 200);
            song.PutEvent(
                Chord(static_cast<std::uint32_t>(t) + 40, {3, 3, 3, SILENT, 0, 0}, 400, 60));
            song.SortEvents();
        }
        song.PutEvent(Chord(static_cast<std::uint32_t>(t) + 120, {0, 0, 0, 0, 0, 0}, 100, 30));
        song.SortEvents();
        engine.requestRedraw();
        if (round % 50 == 49)
            engine.Locate(t);
        if (round % 70 == 69) {
            engine.playOnButtonClick();
            engine.pauseButtonClick();
        }
        ++round;
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    engine.stopButtonMouseDown();
    engine.stopButtonClick();
    EXPECT_EQ(engine.playTimerId(), 0u);
    EXPECT_EQ(timer.periodsBegun(), 0);
    EXPECT_GT(ui.repaints, 0);
    bool noteOnSeen = false;
    for (const auto& s : out.sent())
        noteOnSeen = noteOnSeen || s.status() == 0x90;
    EXPECT_TRUE(noteOnSeen);
}

// The window takes its time to show STOP (a repaint, a busy desktop): back-to-top and New Song
// must have stopped the timer by then, so no note sounds after their silence.
TEST(PlaybackThreads, NoNoteOnAfterTheSilenceOfBackToTopOrNewSong) {
    struct SlowWindow : RecordingListener {
        void transportChanged(Transport s) override {
            if (s == Transport::STOP)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    } ui;
    Song song;
    MidiSetup midi;
    RecordingMidiOut out;
    MidiPort port{out, midi};
    Guitar guitar;
    guitar.setTuning(standardTuning);
    PeriodicTimer timer;
    PlaybackEngine engine{song, port, guitar, timer};
    engine.setListener(&ui);
    out.open(0);
    for (int round = 0; round < 40; ++round) {
        for (std::uint32_t i = 0; i < 100; ++i) // a string on nearly every callback
            song.PutEvent(Chord(i * 30, {0, 1, 2, 3, 4, 5}, 30, 0));
        song.SortEvents();
        out.clear();
        ASSERT_EQ(engine.StartPlay("300"), PlaybackEngine::StartResult::Started);
        std::this_thread::sleep_for(std::chrono::milliseconds(3 + round % 7));
        if (round % 2 == 0)
            engine.backtopClick();
        else
            engine.NewSong();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const auto sent = out.sent();
        std::size_t lastOff = 0; // the last message of the last all-notes-off
        for (std::size_t k = 0; k < sent.size(); ++k)
            if (sent[k].status() == 0x80 && sent[k].data1() == 127)
                lastOff = k;
        ASSERT_GT(lastOff, 0u);
        for (std::size_t k = lastOff; k < sent.size(); ++k)
            ASSERT_NE(sent[k].status(), 0x90) << "round " << round << ": a note after the silence";
        EXPECT_EQ(engine.playTimerId(), 0u);
    }
}

} // namespace
} // namespace cadenzo
