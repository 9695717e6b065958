#include "model/guitar.h"
#include "sound/midi_port.h"
#include "sound/periodic_timer.h"
#include "sound/recording_midi_out.h"
#include "sound/strum.h"
#include "support/wait_for.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace cadenzo::test {
namespace {

using namespace std::chrono_literals;

struct Counter {
    PeriodicTimer* timer = nullptr;
    std::atomic<std::uint32_t> id{0};
    std::atomic<int> ticks{0};
    int stopAfter = 0; // the callback kills its own timer at this tick; 0 = never
    std::atomic<std::thread::id> thread{};
    std::atomic<std::int64_t> lastDue{0};
    std::atomic<bool> dueInOrder{true}; // each tick's due time set, past, and after the last one

    static void Tick(void* user) {
        auto* self = static_cast<Counter*>(user);
        self->thread = std::this_thread::get_id();
        const std::chrono::nanoseconds due{runningTickDueNs()};
        if (due.count() <= self->lastDue.exchange(due.count()) ||
            due > std::chrono::steady_clock::now().time_since_epoch())
            self->dueInOrder = false;
        if (++self->ticks == self->stopAfter)
            self->timer->killEvent(self->id);
    }
};

// One event stops itself from inside its callback, the other is killed from outside: neither
// ticks again.
TEST(PeriodicTimer, NoTickAfterAStopFromInsideOrOutside) {
    PeriodicTimer timer;
    Counter inside, outside;
    inside.timer = &timer, inside.stopAfter = 5;
    inside.id = timer.setEvent(1, 1, &Counter::Tick, &inside);
    const std::uint32_t id = timer.setEvent(1, 1, &Counter::Tick, &outside);
    ASSERT_NE(inside.id, 0u);
    ASSERT_TRUE(WaitFor([&] { return inside.ticks == 5 && outside.ticks >= 3; }));
    timer.killEvent(id);
    const int seen = outside.ticks;
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(inside.ticks, 5);
    EXPECT_EQ(outside.ticks, seen);
    EXPECT_NE(inside.thread.load(), std::this_thread::get_id());
    EXPECT_TRUE(inside.dueInOrder && outside.dueInOrder);
    EXPECT_EQ(runningTickDueNs(), 0); // this thread runs no tick
}

// Fixed fault: closing the program during a stroke freed the strummer while its timer still
// ticked into it. C major in standard tuning on the real timer.
TEST(RealStroke, AStrummerGoneMidStrokeGetsNoMoreTicks) {
    Guitar guitar;
    guitar.setTuning(standardTuning);
    guitar.setFrets({0, 1, 0, 2, 3, 0});
    guitar.updateStringNotes();
    MidiSetup setup;
    RecordingMidiOut out;
    MidiPort port{out, setup};
    port.midiOpen();
    PeriodicTimer timer;
    auto early = std::make_unique<Strummer>(timer, port, guitar);
    early->startStroke(STROKE_DOWN);
    ASSERT_TRUE(early->running());
    early.reset();
    const std::size_t sent = out.sent().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(out.sent().size(), sent);
}

} // namespace
} // namespace cadenzo::test
