#pragma once

#include <chrono>
#include <thread>

namespace cadenzo::test {

// Polls `done` until it holds or `limit` passes; true when it held. For conditions another
// thread or process brings about, where a fixed sleep would either waste time or be too short.
template <typename F>
bool WaitFor(F done, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace cadenzo::test
