#include "playback/practice.h"

#include <algorithm>

namespace cadenzo {

Practice heldToRange(Practice practice) {
    practice.loopFirstBar = std::clamp(practice.loopFirstBar, 1, BAR_COUNT);
    practice.loopLastBar = std::clamp(practice.loopLastBar, practice.loopFirstBar, BAR_COUNT);
    practice.speedPercent =
        std::clamp(practice.speedPercent, MIN_PRACTICE_SPEED, MAX_PRACTICE_SPEED);
    practice.clickVelocity = std::clamp<std::uint8_t>(practice.clickVelocity, 1, 127);
    return practice;
}

std::pair<std::int64_t, std::int64_t> loopTicks(const MeterTable& meter, const Practice& practice) {
    const Practice p = heldToRange(practice);
    return {meter[p.loopFirstBar - 1].endTick, meter[p.loopLastBar].endTick};
}

std::pair<int, int> barsOfSelection(const MeterTable& meter, std::int32_t a, std::int32_t b) {
    const std::int32_t first = std::max(0, std::min(a, b));
    const std::int32_t last = std::max(first + 1, std::max(a, b));
    return {std::min(barOfTick(meter, first), BAR_COUNT),
            std::min(barOfTick(meter, last - 1), BAR_COUNT)};
}

Beat beatAtOrAfter(const MeterTable& meter, std::int64_t tick) {
    tick = std::max<std::int64_t>(tick, 0);
    const std::int64_t lastEnd = meter[BAR_COUNT].endTick;
    std::int64_t barStart = 0;
    const MeterEntry* sig = &meter[BAR_COUNT];
    if (tick < lastEnd) {
        const int bar = barOfTick(meter, static_cast<std::int32_t>(tick));
        barStart = meter[bar - 1].endTick;
        sig = &meter[bar];
    } else {
        const std::int64_t length = barTicks(sig->num, sig->den);
        barStart = lastEnd + (length > 0 ? (tick - lastEnd) / length * length : 0);
    }
    const std::int64_t beat = barTicks(1, sig->den);
    if (beat <= 0)
        return {tick, true};
    const std::int64_t k = (tick - barStart + beat - 1) / beat;
    if (k >= sig->num)
        return {barStart + sig->num * beat, true};
    return {barStart + k * beat, k == 0};
}

} // namespace cadenzo
