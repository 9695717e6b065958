#include "model/guitar.h"
#include "sound/manual_timer.h"
#include "sound/midi_port.h"
#include "sound/periodic_timer.h"
#include "sound/recording_midi_out.h"
#include "sound/strum.h"
#include "support/wait_for.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace cadenzo::test {
namespace {

using namespace std::chrono_literals;
using Messages = std::vector<std::uint32_t>;
constexpr int ALL_OFF = -1;       // a tick or action that sends the 128 note-offs
constexpr int ALL_OFF_AND_4 = -2; // the 128 note-offs, then the same on channel 4 (index 3)

// C major low position held in standard tuning, on a hand-fired timer by default.
template <class T = ManualTimer, class Out = RecordingMidiOut> struct StrumRig {
    StrumRig() { guitar.setTuning(standardTuning), Hold({0, 1, 0, 2, 3, 0}), out.open(0); }
    void Hold(const Frets& frets) { guitar.setFrets(frets), guitar.updateStringNotes(); }
    Messages take() { // the messages sent since the last call
        Messages messages;
        for (const auto sent = out.sent(); taken < sent.size(); ++taken)
            messages.push_back(sent[taken].message);
        return messages;
    }
    std::vector<Messages> Ticks(int n) { // what each of `n` ticks sent
        std::vector<Messages> perTick;
        while (n-- > 0)
            timer.fire(), perTick.push_back(take());
        return perTick;
    }
    // The messages of a tick or action: nothing (0), the 128 note-offs (ALL_OFF) or one note-on.
    Messages Expect(int what) const {
        Messages messages;
        for (const int channel : {int{setup.midiChannel}, what == ALL_OFF_AND_4 ? 3 : -1})
            for (int note = 0; note < 128 && what < 0 && channel >= 0; ++note)
                messages.push_back(packShortMsg(0x80 | channel, note, 0));
        if (what > 0)
            messages.push_back(packShortMsg(0x90 | setup.midiChannel, what, setup.midiVelocity));
        return messages;
    }

    Guitar guitar;
    MidiSetup setup;
    Out out;
    MidiPort port{out, setup};
    T timer;
    Strummer strummer{timer, port, guitar};
    std::size_t taken = 0;
};

class StrumTest : public ::testing::Test, protected StrumRig<> {};

// A stroke on channel 4 at velocity 90 (down, left button by default), the guitar changed before
// the press and after `ticksBefore` ticks; then what the action and each later tick sent.
TEST(Strum, WhatHappensDuringAStroke) {
    using Action = std::function<void(StrumRig<>&)>;
    using D = Strummer::Direction;
    using R = Strummer::Release;
    const Action none = [](StrumRig<>&) {};
    struct Case {
        const char* name;
        Action before;
        int ticksBefore;
        Action during;
        int duringSends;
        std::vector<int> ticks;
        D direction = D::Down;
        R release = R::OnRelease;
    };
    const Action release = [](StrumRig<>& r) { r.strummer.release(); };
    // clang-format off
    const Case cases[] = {
        // One string a tick; the seventh ends the stroke (silencing all after a right press).
        {"down left", none, 0, none, 0, {40, 48, 52, 55, 60, 64, 0}},
        {"down right", none, 0, none, 0, {40, 48, 52, 55, 60, 64, ALL_OFF}, D::Down, R::AtStrokeEnd},
        {"up left", none, 0, none, 0, {64, 60, 55, 52, 48, 40, 0}, D::Up},
        {"up right", none, 0, none, 0, {64, 60, 55, 52, 48, 40, ALL_OFF}, D::Up, R::AtStrokeEnd},
        {"silent strings keep their tick",
         [](StrumRig<>& r) { r.Hold({SILENT, 1, 3, 2, 3, SILENT}); }, 0, none, 0,
         {0, 48, 52, 58, 60, 0, 0}},
        {"second press cuts the notes, not the stroke", none, 2,
         [](StrumRig<>& r) { r.strummer.strum(Strummer::Direction::Up, Strummer::Release::AtStrokeEnd); }, ALL_OFF, {52, 55, 60, 64, 0}},
        {"release during the stroke silences at its end", none, 2, release, 0,
         {52, 55, 60, 64, ALL_OFF}},
        {"release after the sixth string silences at once", none, 6, release, ALL_OFF, {0}},
        {"mute spares the strings to come", none, 3, [](StrumRig<>& r) { r.strummer.mute(); },
         ALL_OFF, {55, 60, 64, 0}},
        // Fixed fault: the silence went only to the channel chosen after the strings were struck.
        {"a channel changed mid-stroke", none, 2, [](StrumRig<>& r) { r.setup.midiChannel = 9; },
         0, {52, 55, 60, 64, ALL_OFF_AND_4}, D::Down, R::AtStrokeEnd},
        {"a fret changed mid-stroke is heard", none, 3,
         [](StrumRig<>& r) { r.Hold({3, SILENT, 0, 2, 3, 0}); }, 0, {55, 0, 67, 0}},
        // A hand-edited tuning past note 127 (a status byte): the string is skipped.
        {"a note above 127 is skipped", [](StrumRig<>& r) {
             r.guitar.tuning[4] = 91, r.guitar.tuning[5] = 100, r.Hold(r.guitar.currentFrets()); },
         0, none, 0, {0, 0, 52, 55, 60, 64, 0}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StrumRig<> r;
        r.setup.midiChannel = 3, r.setup.midiVelocity = 90;
        c.before(r);
        r.strummer.strum(c.direction, c.release);
        EXPECT_EQ(r.take(), r.Expect(ALL_OFF)); // the press silences first
        r.Ticks(c.ticksBefore);
        const std::uint32_t id = r.strummer.strokeTimerId();
        c.during(r);
        EXPECT_EQ(r.take(), r.Expect(c.duringSends));
        EXPECT_EQ(r.strummer.strokeTimerId(), id);
        const auto ticks = r.Ticks(static_cast<int>(c.ticks.size()));
        for (std::size_t t = 0; t < c.ticks.size(); ++t)
            EXPECT_EQ(ticks[t], r.Expect(c.ticks[t])) << "tick " << c.ticksBefore + t + 1;
        EXPECT_FALSE(r.timer.running());
        EXPECT_EQ(r.timer.begun, std::vector<std::uint32_t>{37}) << "one period of 37 ms";
    }
}

// The release tests the step and sets the silence bit in one step of the tick.
TEST_F(StrumTest, ReleaseRacingTheLastTicksNeverLeavesNotesRinging) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        out.clear();
        strummer.strum(Strummer::Direction::Down, Strummer::Release::OnRelease);
        ASSERT_TRUE(strummer.running());
        std::atomic<bool> go{false};
        std::thread ticker([&] {
            while (!go.load()) {
            }
            timer.fire(7);
        });
        const int spin = static_cast<int>(random() % 3000);
        go = true;
        std::atomic<int> spun{0};
        while (spun.fetch_add(1, std::memory_order_relaxed) < spin) {
        }
        strummer.release();
        ticker.join();
        ASSERT_FALSE(strummer.running());
        std::set<int> sounding;
        for (const auto& m : out.sent())
            if (m.status() == 0x90 && m.data2() != 0)
                sounding.insert(m.data1());
            else
                sounding.erase(m.data1());
        ASSERT_TRUE(sounding.empty()) << "round " << round << ": " << sounding.size() << " ringing";
    }
}

// Ticks of a periodic event, which kills its own timer at tick `stopAfter` (0: never).
struct Counter {
    PeriodicTimer* timer = nullptr;
    std::atomic<std::uint32_t> id{0};
    std::atomic<int> ticks{0};
    int stopAfter = 0;
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

TEST(MidiPortBytes, ChannelAndVelocityKeepTheirLowBitsAndHighNotesStayUnsent) {
    RecordingMidiOut out;
    MidiSetup setup;
    MidiPort port(out, setup);
    out.open(0), out.clear();
    port.noteOut(1, 17, 60, 200);
    port.noteOut(1, 0, 128, 100);
    ASSERT_EQ(out.sent().size(), 1u);
    EXPECT_EQ(out.sent()[0].message, packShortMsg(0x91, 60, 72));
}

TEST(ManualTimer, CountsTheTicksOfEachNewEvent) {
    ManualTimer timer;
    int calls = 0;
    const auto count = [](void* user) { ++*static_cast<int*>(user); };
    ASSERT_NE(timer.setEvent(0, 2, count, &calls), 0u);
    EXPECT_EQ(timer.fire(3), 3);
    EXPECT_EQ(timer.ticks(), 3);
    timer.setEvent(0, 2, count, &calls);
    EXPECT_TRUE(timer.fire());
    EXPECT_EQ(std::pair(timer.ticks(), calls), std::pair(1, 4));
}

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
    EXPECT_EQ(std::pair(inside.ticks.load(), outside.ticks.load()), std::pair(5, seen));
    EXPECT_NE(inside.thread.load(), std::this_thread::get_id());
    EXPECT_TRUE(inside.dueInOrder && outside.dueInOrder);
    EXPECT_EQ(runningTickDueNs(), 0); // this thread runs no tick
}

// Fixed faults: a close mid-stroke freed the strummer under its ticking timer; a stroke's last
// tick, which stops its own timer, went on silencing through a port being taken down.
TEST(RealStroke, NoTickReachesAStrummerThatIsGone) {
    struct SlowSilence : RecordingMidiOut {
        std::atomic<bool> silencing{false}, gone{false}, late{false};
        void shortMsg(std::uint32_t m) override {
            if (runningTickDueNs() != 0 && (m & 0xF0) == 0x80 && !silencing.exchange(true))
                std::this_thread::sleep_for(20ms);
            late = late || gone, RecordingMidiOut::shortMsg(m);
        }
    };
    for (const bool lastTick : {false, true}) {
        StrumRig<PeriodicTimer, SlowSilence> r;
        auto early = std::make_unique<Strummer>(r.timer, r.port, r.guitar);
        early->startStroke(lastTick ? STROKE_SILENCE : STROKE_DOWN);
        ASSERT_TRUE(early->running());
        ASSERT_TRUE(!lastTick || WaitFor([&] { return r.out.silencing.load(); }));
        early.reset();
        r.out.gone = true;
        std::this_thread::sleep_for(300ms);
        EXPECT_FALSE(r.out.late) << (lastTick ? "while the last tick silenced" : "mid-stroke");
    }
}

} // namespace
} // namespace cadenzo::test
