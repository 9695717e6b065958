#include "app/window_place.h"

#include <algorithm>
#include <cstdint>

namespace cadenzo {

namespace {

// The length two intervals share (negative: the gap between them).
std::int64_t overlap(std::int64_t start1, std::int64_t length1, std::int64_t start2,
                     std::int64_t length2) {
    return std::min(start1 + length1, start2 + length2) - std::max(start1, start2);
}

// Keeps a span of length within [low, low + room]: from low when it does not fit.
int clampSpan(int start, int length, int low, int room) {
    return std::max(low, std::min(start, low + room - length));
}

} // namespace

DesktopPoint placeOnScreen(const DesktopRect& frame, const std::vector<DesktopRect>& screens,
                           int titleHeight) {
    if (screens.empty())
        return {frame.left, frame.top};
    // Most shared area first; among screens it does not touch, the smallest gap (across plus
    // down); ties go to the earlier screen.
    const auto rank = [&](const DesktopRect& s) {
        const std::int64_t across = overlap(frame.left, frame.width, s.left, s.width);
        const std::int64_t down = overlap(frame.top, frame.height, s.top, s.height);
        if (across > 0 && down > 0)
            return across * down;
        return std::min<std::int64_t>(across, 0) + std::min<std::int64_t>(down, 0) - 1;
    };
    const DesktopRect* best = &screens.front();
    for (const DesktopRect& s : screens)
        if (rank(s) > rank(*best))
            best = &s;
    return {clampSpan(frame.left, frame.width, best->left, best->width),
            clampSpan(frame.top, titleHeight, best->top, best->height)};
}

} // namespace cadenzo
