#include "sound/manual_timer.h"

namespace cadenzo {

bool ManualTimer::getDevCaps(Caps& out) {
    if (capsFail)
        return false;
    out = caps;
    return true;
}

std::uint32_t ManualTimer::setEvent(std::uint32_t /*delayMs*/, std::uint32_t periodMs,
                                    Callback callback, void* user) {
    if (setEventFails || callback == nullptr)
        return 0;
    callback_ = callback;
    user_ = user;
    period_ = periodMs;
    ticks_ = 0;
    id_ = nextId_++;
    return id_;
}

void ManualTimer::killEvent(std::uint32_t id) {
    if (id == id_)
        id_ = 0;
}

bool ManualTimer::fire() {
    if (id_ == 0)
        return false;
    ++ticks_;
    callback_(user_);
    return true;
}

int ManualTimer::fire(int n) {
    int ran = 0;
    while (ran < n && fire())
        ++ran;
    return ran;
}

} // namespace cadenzo
