#pragma once

// What the synthesizer benchmarks share: the clock, a sleep to an absolute time, the priority an
// audio driver's thread gets for their stand-in audio threads, and the memory in use.
#include <cstdint>
#include <ctime>
#include <fstream>
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

// Resident memory of this process in kB (pages of 4 kB).
inline long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * 4;
}

} // namespace cadenzo::bench
