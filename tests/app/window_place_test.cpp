#include "app/window_place.h"

#include <gtest/gtest.h>

namespace cadenzo {
namespace {

// A 1920x1050 primary (a panel below) and a 1280x1024 monitor on its right, reaching higher.
const std::vector<DesktopRect> twoScreens{{0, 0, 1920, 1050}, {1920, -200, 1280, 1024}};

TEST(WindowPlace, TheTitleBarAndTheWidthComeOnTheNearestScreen) {
    const struct {
        DesktopRect frame;
        std::vector<DesktopRect> screens;
        DesktopPoint place;
    } cases[] = {
        {{30, 30, 422, 300}, twoScreens, {30, 30}},          // on a screen: stays
        {{100, 900, 422, 500}, twoScreens, {100, 900}},      // bottom below the screen: stays
        {{5000, -5000, 422, 300}, twoScreens, {2778, -200}}, // far up and right: the second
        {{-900, 400, 422, 300}, twoScreens, {0, 400}},       // off the left: the primary
        {{1700, 400, 422, 300}, twoScreens, {1498, 400}},    // mostly on the primary
        {{1800, 400, 422, 300}, twoScreens, {1920, 400}},    // mostly on the second
        {{100, 1040, 422, 300}, twoScreens, {100, 1020}},    // title bar under the panel
        {{2000, 900, 422, 300}, twoScreens, {2000, 794}},    // the second ends higher
        {{-50, 10, 2500, 300}, twoScreens, {0, 10}},         // wider than any: its left shows
        {{-100, -100, 422, 270}, {}, {-100, -100}},          // no screen known: stays
        {{2147483000, 2147483000, 422, 270}, twoScreens, {2778, 794}}, // no overflow
    };
    for (const auto& c : cases) {
        const DesktopPoint place = placeOnScreen(c.frame, c.screens, 30);
        EXPECT_EQ(place, c.place) << c.frame.left << "," << c.frame.top << " gave " << place.left
                                  << "," << place.top;
    }
}

} // namespace
} // namespace cadenzo
