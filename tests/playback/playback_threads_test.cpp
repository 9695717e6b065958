// The real periodic timer playing while the window thread edits the song (also under TSan).
#include "playback_fixture.h"

#include "seq/seq_geometry.h"
#include "seq/transfer.h"
#include "seq/undo.h"
#include "sound/periodic_timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <thread>

namespace cadenzo {
namespace {

using ThreadRig = EngineRig<PeriodicTimer>;

// The window takes its time to show STOP (a repaint, a busy desktop): back-to-top and New Song
// must have stopped the timer by then, so no note sounds after their silence.
TEST(PlaybackThreads, NoNoteOnAfterTheSilenceOfBackToTopOrNewSong) {
    struct SlowWindow : RecordingListener {
        void transportChanged(Transport s) override {
            if (s == Transport::Stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    } ui;
    ThreadRig rig;
    auto& [song, midi, out, port, guitar, timer, engine] = rig;
    engine.setListener(&ui);
    for (int round = 0; round < 40; ++round) {
        for (std::uint32_t i = 0; i < 100; ++i) // a string on nearly every callback
            song.insertEvent(Chord(i * 30, {0, 1, 2, 3, 4, 5}, 30, 0));
        song.sortEvents(), out.clear();
        ASSERT_EQ(engine.start("300"), PlaybackEngine::StartResult::Started);
        std::this_thread::sleep_for(std::chrono::milliseconds(3 + round % 7));
        if (round % 3 == 0) { // a locate while the timer plays, then on for a moment
            engine.locateTo(1200);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        round % 2 == 0 ? engine.backToTop() : engine.resetSong();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const auto sent = out.sent();
        std::size_t lastOff = 0; // the last message of the last all-notes-off
        for (std::size_t k = 0; k < sent.size(); ++k)
            lastOff = sent[k].status() == 0x80 && sent[k].data1() == 127 ? k : lastOff;
        ASSERT_GT(lastOff, 0u);
        for (std::size_t k = lastOff; k < sent.size(); ++k)
            ASSERT_NE(sent[k].status(), 0x90) << "round " << round << ": a note after the silence";
        EXPECT_EQ(engine.playTimerId(), 0u);
    }
}

// Random edits, repaint requests and pauses between callbacks: no note hangs, no chord string is
// struck twice. Fixed fault: an edit not wrapped for playback did both.
TEST(PlaybackThreads, EditsWhilePlayingLeaveNoNoteHangingAndStrikeNoChordTwice) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    ThreadRig rig;
    auto& [song, midi, out, port, guitar, timer, engine] = rig;
    RecordingListener ui;
    engine.setListener(&ui);
    auto history = std::make_unique<UndoHistory>();

    constexpr std::int32_t kLastTick = 4800; // every event lies before this
    std::uint8_t nextId = 0;                 // the velocity tells the chords apart
    const auto chord = [&](std::int32_t tick) {
        ++nextId;
        return test::MakeEvent(tick, {0, 0, 0, 0, 0, 0}, nextId, 100, 30, nextId % 2);
    };
    for (std::int32_t t = 0; t < kLastTick; t += 160)
        song.insertEvent(chord(t));
    song.sortEvents();
    ASSERT_EQ(engine.start("300"), PlaybackEngine::StartResult::Started);

    std::uniform_int_distribution<std::int32_t> anyTick(0, kLastTick / 40 - 1);
    int edits = 0;
    // A timer that stopped by itself (the tick lost its place in the list) ends the run too.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    const auto running = [&] {
        return engine.playTimerId() != 0 && std::chrono::steady_clock::now() < giveUp;
    };
    while (running() && engine.playPos() < kLastTick) {
        const std::int32_t a = anyTick(rng) * 40;
        const int op = static_cast<int>(rng() % 4); // entries twice as often as the others
        // The edits are made as any path of the window makes them, with nothing around them.
        if (EditResult entered; op <= 1 && nextId < 127) {
            pushUndo(*history, song, a, a), EnterEvent(song, chord(a), SEQ_BAR_MAX, entered);
        } else if (op == 2) {
            song.edit.anchorTick = a;
            song.edit.cursorTick = a + 40 * static_cast<std::int32_t>(rng() % 6);
            deleteSelectedEvents(*history, song);
        } else {
            undoLastEdit(*history, song, SEQ_BAR_MAX);
        }
        // The window's own calls between edits: a repaint request, now and then a pause.
        engine.requestRedraw();
        if (edits++ % 70 == 69)
            engine.pause(), engine.resume();
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 800));
    }
    // Let the last gate run out before the timer stops (no silence is sent by that).
    while (running() && engine.playPos() < kLastTick + 400)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_NE(engine.playTimerId(), 0u) << "the timer ran until it was stopped";
    engine.stopPlayTimer();
    ASSERT_EQ(engine.playTimerId(), 0u);
    EXPECT_GE(engine.playPos(), kLastTick + 400);
    EXPECT_GT(edits, 50);

    std::set<std::pair<int, int>> struck;
    std::map<int, int> sounding; // note -> note-ons not yet released
    for (const auto& m : out.sent()) {
        if (m.status() == 0x90 && m.data2() > 0) {
            EXPECT_TRUE(struck.insert({m.data1(), m.data2()}).second)
                << "note " << int{m.data1()} << " of the chord with velocity " << int{m.data2()}
                << " struck twice";
            ++sounding[m.data1()];
        } else if (m.status() == 0x80) {
            sounding.erase(m.data1());
        }
    }
    EXPECT_GT(struck.size(), 12u) << "playback went on through the edits";
    EXPECT_EQ(sounding, (std::map<int, int>{})) << "notes never released (note -> note-ons)";
}

} // namespace
} // namespace cadenzo
