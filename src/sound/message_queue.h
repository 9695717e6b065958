#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace cadenzo {

// A short MIDI message on its way to an audio thread, with the steady-clock time it is due.
struct TimedMessage {
    std::int64_t dueNs = 0;
    std::uint32_t message = 0;
};

// A queue of fixed capacity from any number of sending threads (the window, the timer ticks, the
// command-line tool) to one audio thread, without a lock and without allocating after
// construction: the audio thread must never wait for a sender that the scheduler has put aside,
// nor for the allocator. Each cell carries a sequence number that says whether it is free for the
// sender whose turn it is, or written and ready for the taker; a sender claims its turn with one
// compare-and-swap.
// Thread rules: tryPush and push from any thread; tryPop from one thread at a time (the audio
// thread); construction and destruction while no other thread uses the queue.
class MessageQueue {
public:
    // `capacity` is rounded up to a power of two.
    explicit MessageQueue(std::size_t capacity);

    // False when the queue is full; never waits.
    bool tryPush(const TimedMessage& message);
    // A full queue means the audio thread has not taken a message for a whole queue's worth:
    // the sender then waits in steps of 100 us for at most `patience`, which covers the few
    // periods a running audio thread needs to empty it. False when the queue stayed full (the
    // audio thread has stopped): the message is not queued, and the caller counts it as lost.
    bool push(const TimedMessage& message, std::chrono::microseconds patience);
    // The oldest message; false when none is ready. A sender interrupted between claiming its
    // cell and writing it holds back the messages behind it until it resumes: the taker then
    // finds nothing and looks again at its next period, it never waits.
    bool tryPop(TimedMessage& message);
    // No message is queued, nor claimed by a sender still writing it. From the taker's thread,
    // or from another one while no thread takes.
    bool empty() const { return head_.load(std::memory_order_acquire) == tail_; }
    std::size_t capacity() const { return mask_ + 1; }

private:
    struct Cell {
        std::atomic<std::size_t> sequence;
        TimedMessage message;
    };
    std::unique_ptr<Cell[]> cells_;
    std::size_t mask_ = 0;
    alignas(64) std::atomic<std::size_t> head_{0}; // the next sender's turn
    alignas(64) std::size_t tail_ = 0;             // the taker's next cell
};

} // namespace cadenzo
