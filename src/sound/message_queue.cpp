#include "sound/message_queue.h"

#include <bit>
#include <thread>

namespace cadenzo {

MessageQueue::MessageQueue(std::size_t capacity) {
    const std::size_t size = std::bit_ceil(capacity < 2 ? std::size_t{2} : capacity);
    cells_ = std::make_unique<Cell[]>(size);
    mask_ = size - 1;
    for (std::size_t i = 0; i < size; ++i)
        cells_[i].sequence.store(i, std::memory_order_relaxed);
}

bool MessageQueue::tryPush(const TimedMessage& message) {
    std::size_t turn = head_.load(std::memory_order_relaxed);
    for (;;) {
        Cell& cell = cells_[turn & mask_];
        const std::size_t sequence = cell.sequence.load(std::memory_order_acquire);
        const auto lag = static_cast<std::ptrdiff_t>(sequence - turn);
        if (lag == 0) {
            // The cell is free for this turn: claim the turn, then write the cell.
            if (head_.compare_exchange_weak(turn, turn + 1, std::memory_order_relaxed)) {
                cell.message = message;
                cell.sequence.store(turn + 1, std::memory_order_release);
                return true;
            }
        } else if (lag < 0) {
            return false; // the cell still holds the message of the lap before: full
        } else {
            turn = head_.load(std::memory_order_relaxed); // another sender took this turn
        }
    }
}

bool MessageQueue::push(const TimedMessage& message, std::chrono::microseconds patience) {
    constexpr std::chrono::microseconds STEP{100};
    for (auto waited = std::chrono::microseconds{0}; !tryPush(message); waited += STEP) {
        if (waited >= patience)
            return false;
        std::this_thread::sleep_for(STEP);
    }
    return true;
}

bool MessageQueue::tryPop(TimedMessage& message) {
    Cell& cell = cells_[tail_ & mask_];
    const std::size_t sequence = cell.sequence.load(std::memory_order_acquire);
    if (static_cast<std::ptrdiff_t>(sequence - (tail_ + 1)) < 0)
        return false;
    message = cell.message;
    // Free for the sender whose turn comes one lap later.
    cell.sequence.store(tail_ + mask_ + 1, std::memory_order_release);
    ++tail_;
    return true;
}

} // namespace cadenzo
