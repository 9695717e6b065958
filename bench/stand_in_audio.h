#pragma once

// What the benchmarks' stand-in audio threads share: the clock, a sleep to an absolute time, and
// the priority an audio driver's thread gets.
#include <cstdint>
#include <ctime>
#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>

namespace cadenzo::bench {

inline std::int64_t NowNs(clockid_t clock = CLOCK_MONOTONIC) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return std::int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

inline void SleepUntil(std::int64_t ns) {
    const timespec ts{static_cast<time_t>(ns / 1'000'000'000),
                      static_cast<long>(ns % 1'000'000'000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
    }
}

// An audio driver's thread runs at real-time priority when it may, and wakes on time.
inline void BecomeAudioThread() {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 1;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

} // namespace cadenzo::bench
