#include "sound/periodic_timer.h"

#include <ctime>
#include <pthread.h>
#include <sys/prctl.h>

namespace cadenzo {

namespace {

constexpr std::int64_t NS_PER_MS = 1'000'000;
constexpr std::int64_t NS_PER_S = 1'000'000'000;

// The slot whose callback this thread runs, so killEvent knows it is called from inside a tick.
thread_local const void* tRunningSlot = nullptr;
// The deadline of the tick this thread runs now.
thread_local std::int64_t tTickDueNs = 0;

std::int64_t Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * NS_PER_S + ts.tv_nsec;
}

void sleepUntil(std::int64_t deadline) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(deadline / NS_PER_S);
    ts.tv_nsec = static_cast<long>(deadline % NS_PER_S);
    // Interrupted sleeps resume towards the same absolute deadline.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
    }
}

} // namespace

std::int64_t runningTickDueNs() {
    return tTickDueNs;
}

PeriodicTimer::~PeriodicTimer() {
    std::lock_guard lock(mutex_);
    for (Slot& slot : slots_) {
        slot.id = 0;
        if (slot.thread.joinable())
            slot.thread.join();
    }
}

bool PeriodicTimer::getDevCaps(Caps& caps) {
    caps.periodMin = 1;
    caps.periodMax = 1'000'000;
    return true;
}

void PeriodicTimer::beginPeriod(std::uint32_t /*ms*/) {
    ++periods_;
}

void PeriodicTimer::endPeriod(std::uint32_t /*ms*/) {
    --periods_;
}

void PeriodicTimer::Run(Slot& slot, std::uint32_t id) {
    tRunningSlot = &slot;
    // A tick that wakes 50 us late (the default slack) would be audible in a fast stroke.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    // Real-time priority when the user may have it; an ordinary thread otherwise.
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);

    const std::int64_t period = std::int64_t{slot.periodMs == 0 ? 1 : slot.periodMs} * NS_PER_MS;
    std::int64_t deadline = Now() + std::int64_t{slot.delayMs} * NS_PER_MS;
    while (true) {
        sleepUntil(deadline);
        if (slot.id.load(std::memory_order_acquire) != id)
            break;
        tTickDueNs = deadline;
        slot.callback(slot.user);
        tTickDueNs = 0;
        if (slot.id.load(std::memory_order_acquire) != id)
            break;
        deadline += period;
        // After a stall (a suspended machine, a debugger) the ticks resume on time from now
        // instead of firing the missed ones in a burst.
        const std::int64_t now = Now();
        if (deadline < now - period)
            deadline = now;
    }
    slot.finished.store(true, std::memory_order_release);
}

std::uint32_t PeriodicTimer::setEvent(std::uint32_t delayMs, std::uint32_t periodMs,
                                      Callback callback, void* user) {
    if (callback == nullptr)
        return 0;
    std::lock_guard lock(mutex_);
    for (Slot& slot : slots_) {
        if (slot.id.load() != 0 || !slot.finished.load(std::memory_order_acquire))
            continue;
        if (slot.thread.joinable())
            slot.thread.join(); // an event that stopped itself; its thread has already left
        const std::uint32_t id = nextId_++;
        if (nextId_ == 0)
            nextId_ = 1;
        slot.delayMs = delayMs;
        slot.periodMs = periodMs;
        slot.callback = callback;
        slot.user = user;
        slot.finished = false;
        slot.id.store(id, std::memory_order_release);
        try {
            slot.thread = std::thread(Run, std::ref(slot), id);
        } catch (const std::system_error&) {
            slot.id = 0;
            slot.finished = true;
            return 0;
        }
        return id;
    }
    return 0;
}

void PeriodicTimer::killEvent(std::uint32_t id) {
    if (id == 0)
        return;
    for (Slot& slot : slots_) {
        std::uint32_t expected = id;
        if (!slot.id.compare_exchange_strong(expected, 0, std::memory_order_acq_rel))
            continue;
        // From inside the callback the thread ends by itself when the callback returns; from
        // anywhere else wait for it, so that no tick runs after this returns.
        if (tRunningSlot != &slot) {
            std::lock_guard lock(mutex_);
            if (slot.thread.joinable())
                slot.thread.join();
        }
        return;
    }
}

} // namespace cadenzo
