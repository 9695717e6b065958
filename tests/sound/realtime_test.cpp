// The built-in synthesizer's message queue under concurrent senders, and its frame clock.
#include "sound/frame_clock.h"
#include "sound/message_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

namespace cadenzo::test {
namespace {

// Four senders fill a small queue, full at the start, far faster than it is emptied: each one's
// messages all arrive, once and in order; a full queue refuses at once.
TEST(MessageQueue, EverySendersMessagesArriveOnceAndInOrder) {
    constexpr std::uint32_t SENDERS = 4, EACH = 20000;
    MessageQueue queue(64);
    TimedMessage m;
    for (std::uint32_t i = 0; i < 64; ++i)
        ASSERT_TRUE(queue.tryPush({SENDERS, i})); // a fifth sender's
    EXPECT_FALSE(queue.push({0, 64}, std::chrono::microseconds{0}));
    std::atomic<std::uint32_t> finished{0};
    std::vector<std::jthread> senders;
    for (std::uint32_t s = 0; s < SENDERS; ++s)
        senders.emplace_back([&queue, &finished, s] {
            for (std::uint32_t i = 0; i < EACH; ++i)
                ASSERT_TRUE(queue.push({s, i}, std::chrono::seconds{10}));
            ++finished;
        });
    std::vector<std::uint32_t> next(SENDERS + 1, 0);
    for (bool last = false; !last; std::this_thread::yield()) {
        last = finished == SENDERS; // then every message is in the queue
        while (queue.tryPop(m))
            ASSERT_EQ(m.message, next[static_cast<std::size_t>(m.dueNs)]++);
    }
    EXPECT_EQ(next, (std::vector<std::uint32_t>{EACH, EACH, EACH, EACH, 64}));
}

// 128-frame periods at 48 kHz asked up to 2 ms late (every fourth on time), a drifting card; at
// period 2000 a stall, then frames `stallMs` later (output restarted) or requests catching up. The
// estimate stays within `tolerance` frames but for `settle` periods after the stall.
TEST(FrameClock, FollowsLateWakeUpsDriftAndStalls) {
    constexpr double CASES[][5] = {{0, 300, 0, 1, 0.01},   {0, 50, 0, 1, 0.01},
                                   {150, 300, 0, 1, 4},    {-150, 300, 0, 1, 0.5},
                                   {0, 300, 1, 118, 0.01}, {0, 3, 1, 0, 0.01}};
    for (const auto& [driftPpm, stallMs, catchUp, settle, tolerance] : CASES) {
        FrameClock clock(48000, 384);
        std::mt19937 random(7);
        double asked = 0;
        for (int period = 0; period < 3000; ++period) {
            const std::int64_t frame = period * 128;
            const double stall = period >= 2000 ? stallMs * 1e6 : 0;
            const double due =
                1e12 + (catchUp ? 0 : stall) + frame * 1e9 / 48000 * (1 + driftPpm * 1e-6);
            const double late =
                period == 2000 && catchUp ? stall : (period % 4 > 0) * (random() % 2'000'000);
            asked = std::max(due + late, catchUp && period > 2000 ? asked + 1e4 : 0);
            clock.periodRequested(frame, std::llround(asked));
            const double error = clock.frameAt(std::llround(due)) - static_cast<double>(frame);
            const bool settling = period < 128 || (period >= 2000 && period < 2000 + settle);
            ASSERT_TRUE(settling || std::fabs(error) <= tolerance)
                << error << " frames off, " << driftPpm << " ppm, " << stallMs << " ms, " << period;
        }
    }
}

} // namespace
} // namespace cadenzo::test
