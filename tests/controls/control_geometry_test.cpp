#include <gtest/gtest.h>

#include "controls/control_geometry.h"

namespace cadenzo {
namespace {

TEST(GridGeometry, KeyMovesWrapAround) {
    using K = GridKey;
    const struct {
        GridOrder ordering;
        int from;
        GridKey key;
        int to;
    } cases[] = {
        // clang-format off
        {GridOrder::Grid4x4, 5, K::Right, 6}, {GridOrder::Grid4x4, 15, K::Right, 0}, {GridOrder::Grid4x4, 0, K::Left, 15},
        {GridOrder::Grid4x4, 4, K::Left, 3}, {GridOrder::Grid4x4, 1, K::Down, 5}, {GridOrder::Grid4x4, 15, K::Down, 0},
        {GridOrder::Grid4x4, 13, K::Down, 2}, // last row -> top of the next column
        {GridOrder::Grid4x4, 2, K::Up, 13},   // first row -> bottom of the previous column
        {GridOrder::Grid4x4, 6, K::Up, 2}, {GridOrder::Grid4x4, 0, K::Up, 15}, {GridOrder::Grid8x2, 9, K::Down, 2}, {GridOrder::Grid8x2, 3, K::Up, 10},
        {GridOrder::Grid16x1, 4, K::Down, 5}, {GridOrder::Grid4x4, 9, K::Home, 0}, {GridOrder::Grid4x4, 9, K::End, 15},
        {GridOrder::Grid4x4, 16, K::Right, 0}, {GridOrder::Grid4x4, 16, K::Left, 15}, // from "no colour" into the grid
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(moveSelection(c.ordering, c.from, c.key), c.to)
            << int(c.ordering) << " from " << c.from << " key " << int(c.key);
}

} // namespace
} // namespace cadenzo
