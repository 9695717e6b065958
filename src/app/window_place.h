#pragma once

#include <vector>

namespace cadenzo {

// A rectangle in desktop pixels: a window's frame or a screen's available area.
struct DesktopRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const DesktopRect&) const = default;
};

struct DesktopPoint {
    int left = 0;
    int top = 0;

    bool operator==(const DesktopPoint&) const = default;
};

// Where a window's frame goes so that its title bar can be reached: a place saved on a monitor
// since unplugged, or typed into the settings file, may lie off every screen. The screen is the
// one the frame overlaps most, else the one nearest to it, else the first (the primary). The
// frame moves as little as it must to lie on that screen across its whole width (from the
// screen's left edge when it is wider) with its top titleHeight pixels inside. Without screens
// the place stays. Any thread.
DesktopPoint placeOnScreen(const DesktopRect& frame, const std::vector<DesktopRect>& screens,
                           int titleHeight);

} // namespace cadenzo
