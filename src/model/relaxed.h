#pragma once

#include <atomic>

namespace cadenzo {

// A value that the window thread writes and the timer thread reads while a stroke or the song is
// playing. Each read and write is whole (never torn) but orders nothing else, which is all the
// strum and playback ticks need: a fret changed mid-stroke is heard by the strings still to come.
template <typename T> class Relaxed {
public:
    constexpr Relaxed(T value = T{}) noexcept : value_(value) {}
    Relaxed(const Relaxed& other) noexcept : value_(other.load()) {}
    Relaxed& operator=(const Relaxed& other) noexcept {
        store(other.load());
        return *this;
    }
    Relaxed& operator=(T value) noexcept {
        store(value);
        return *this;
    }
    operator T() const noexcept { return load(); }

    T load() const noexcept { return value_.load(std::memory_order_relaxed); }
    void store(T value) noexcept { value_.store(value, std::memory_order_relaxed); }

private:
    std::atomic<T> value_;
};

} // namespace cadenzo
