// The audio thread's side of the built-in synthesizer: its message queue under concurrent
// senders and its estimate of where the output's frames lie on the clock.
#include "sound/frame_clock.h"
#include "sound/message_queue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <thread>
#include <vector>

namespace cadenzo::test {
namespace {

// Four senders fill a small queue far faster than it is emptied: each sender's messages all
// arrive, once and in order; a full queue refuses without waiting.
TEST(MessageQueue, EverySendersMessagesArriveOnceAndInOrder) {
    constexpr int SENDERS = 4, EACH = 20000;
    MessageQueue queue(64);
    for (std::uint32_t i = 0; i < 64; ++i)
        ASSERT_TRUE(queue.tryPush({0, i}));
    EXPECT_FALSE(queue.push({0, 64}, std::chrono::microseconds{0}));
    for (TimedMessage m; queue.tryPop(m);) {
    }
    std::vector<std::thread> senders;
    for (int s = 0; s < SENDERS; ++s)
        senders.emplace_back([&queue, s] {
            for (std::uint32_t i = 0; i < EACH; ++i)
                ASSERT_TRUE(queue.push({s, i}, std::chrono::seconds{10}));
        });
    std::vector<std::uint32_t> next(SENDERS, 0);
    for (int taken = 0; taken < SENDERS * EACH;) {
        TimedMessage m;
        if (!queue.tryPop(m)) {
            std::this_thread::yield();
            continue;
        }
        ASSERT_EQ(m.message, next[static_cast<std::size_t>(m.dueNs)]++);
        ++taken;
    }
    for (std::thread& sender : senders)
        sender.join();
    EXPECT_EQ(next, std::vector<std::uint32_t>(SENDERS, EACH));
}

// Periods of 128 frames at 48 kHz asked for late by up to 2 ms (every fourth on time),
// with a sound card clock that drifts, and a stall of the audio thread: after it, the frames
// either lie `stallMs` later (the output ran dry and restarted) or the requests catch up.
// The estimate stays within `tolerance` frames of the truth except for `settle` periods after
// the stall; the old estimate needed up to 128 periods after a restart.
TEST(FrameClock, FollowsLateWakeUpsDriftAndStalls) {
    struct Case {
        double driftPpm, stallMs;
        bool catchUp;
        int settle;
        double tolerance;
    };
    for (const Case c : {Case{0, 300, false, 1, 0.01}, Case{0, 50, false, 1, 0.01},
                         Case{150, 300, false, 1, 4}, Case{-150, 300, false, 1, 0.5},
                         Case{0, 300, true, 118, 0.01}, Case{0, 3, true, 0, 0.01}}) {
        FrameClock clock(48000, 384);
        std::mt19937 random(7);
        const double nsPerFrame = 1e9 / 48000 * (1 + c.driftPpm * 1e-6);
        const double zero = 1e12;
        double shift = 0, last = 0;
        for (int period = 0; period < 3000; ++period) {
            const std::int64_t frame = period * 128;
            if (period == 2000)
                shift = c.stallMs * 1e6;
            const double due = zero + (c.catchUp ? 0 : shift) + frame * nsPerFrame;
            double asked = due + (period % 4 == 0 ? 0 : random() % 2'000'000);
            if (period == 2000)
                asked = due + shift * c.catchUp;
            if (c.catchUp && period > 2000)
                asked = std::max(asked, last + 10'000);
            clock.periodRequested(frame, std::llround(last = asked));
            const double error = clock.frameAt(std::llround(due)) - static_cast<double>(frame);
            if (period < 128 || (period >= 2000 && period < 2000 + c.settle))
                continue;
            ASSERT_LE(std::fabs(error), c.tolerance)
                << c.driftPpm << " ppm, stall " << c.stallMs << " ms, period " << period;
        }
    }
}

} // namespace
} // namespace cadenzo::test
