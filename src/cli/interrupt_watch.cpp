#include "cli/interrupt_watch.h"

#include <atomic>
#include <csignal>
#include <thread>
#include <unistd.h>

namespace cadenzo::cli {

namespace {

constexpr int WATCHED[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous[std::size(WATCHED)];
std::atomic<int> signalsTaken{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch lock-free data");

extern "C" void onInterrupt(int signalNumber) {
    if (signalsTaken.fetch_add(1) > 0)
        _exit(128 + signalNumber);
}

} // namespace

InterruptWatch::InterruptWatch() {
    signalsTaken = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(WATCHED); ++i)
        sigaction(WATCHED[i], &action, &previous[i]);
}

InterruptWatch::~InterruptWatch() {
    for (std::size_t i = 0; i < std::size(WATCHED); ++i)
        sigaction(WATCHED[i], &previous[i], nullptr);
}

bool InterruptWatch::interrupted() const {
    return signalsTaken.load() > 0;
}

bool InterruptWatch::sleepFor(std::chrono::milliseconds time) const {
    // Short naps: a signal may land on any of the device library's threads, so it cannot be
    // counted on to cut this thread's sleep short.
    const auto end = std::chrono::steady_clock::now() + time;
    while (!interrupted()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end)
            return true;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(end - now, std::chrono::milliseconds(5)));
    }
    return false;
}

} // namespace cadenzo::cli
