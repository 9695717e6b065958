#include <gtest/gtest.h>

#include "controls/control_geometry.h"

namespace cadenzo {
namespace {

TEST(GridGeometry, KeyMovesWrapAround) {
    using K = GridKey;
    constexpr auto G4 = GridOrder::Grid4x4, G8 = GridOrder::Grid8x2, G16 = GridOrder::Grid16x1;
    // The last row goes on at the top of the next column and back; 16 is "no colour".
    const struct {
        GridOrder order;
        int from;
        GridKey key;
        int to;
    } cases[] = {{G4, 5, K::Right, 6},  {G4, 15, K::Right, 0}, {G4, 0, K::Left, 15},
                 {G4, 1, K::Down, 5},   {G4, 13, K::Down, 2},  {G4, 2, K::Up, 13},
                 {G4, 0, K::Up, 15},    {G8, 9, K::Down, 2},   {G8, 3, K::Up, 10},
                 {G16, 4, K::Down, 5},  {G4, 9, K::Home, 0},   {G4, 9, K::End, 15},
                 {G4, 16, K::Right, 0}, {G4, 16, K::Left, 15}};
    for (const auto& c : cases)
        EXPECT_EQ(moveSelection(c.order, c.from, c.key), c.to) << c.from << " " << int(c.key);
}

} // namespace
} // namespace cadenzo
