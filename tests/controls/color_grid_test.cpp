#include <QTest>
#include <gtest/gtest.h>

#include "controls/color_grid.h"
#include "support/test_app.h"
#include "widget_util.h"

namespace cadenzo {
namespace {

// The left button drags the foreground, the right one the background; only a release inside
// (or any right release) clicks. Keys pick sides.
TEST(ColorGrid, MouseAndKeysPickAndDragTheirSides) {
    test::App();
    ColorGrid g;
    int changes = 0, clicks = 0;
    QObject::connect(&g, &ColorGrid::changed, [&] { ++changes; });
    QObject::connect(&g, &ColorGrid::clicked, [&] { ++clicks; });
    const auto fg = [&] { return std::pair(g.foregroundIndex(), g.backgroundIndex()); };
    test::Press(&g, {60, 30});
    EXPECT_EQ(fg(), std::pair(6, 0));
    test::Move(&g, {80, 30});
    EXPECT_EQ(fg(), std::pair(7, 0));
    test::Move(&g, {-20, 300}); // clamped
    EXPECT_EQ(fg(), std::pair(12, 0));
    EXPECT_EQ(g.Selection(), 12);
    test::Release(&g, {-20, 300});
    EXPECT_EQ(clicks, 0);
    test::click(&g, {10, 10});
    EXPECT_EQ(std::pair(clicks, changes), std::pair(1, 4));
    test::Move(&g, {80, 80}, Qt::NoButton); // no drag any more
    EXPECT_EQ(fg(), std::pair(0, 0));
    test::Press(&g, {90, 90}, Qt::RightButton);
    test::Move(&g, {90, 10}, Qt::RightButton);
    EXPECT_EQ(fg(), std::pair(0, 3));
    test::Release(&g, {500, 10}, Qt::RightButton);
    EXPECT_EQ(clicks, 2);

    const auto key = [&](int k) { return QTest::keyClick(&g, Qt::Key(k)), g.Selection(); };
    g.setSelection(9);
    QTest::keyClick(&g, 'f');
    key(Qt::Key_End);
    QTest::keyClick(&g, 'B');
    EXPECT_EQ(fg(), std::pair(9, 15));
    g.setBackgroundEnabled(false);
    key(Qt::Key_Home);
    QTest::keyClick(&g, 'b');
    EXPECT_EQ(fg(), std::pair(9, 15));
    EXPECT_EQ(clicks, 5); // the click fires even when nothing changed
    g.setClickEnablesColor(true);
    QTest::keyClick(&g, 'b');
    EXPECT_TRUE(g.backgroundEnabled());
    EXPECT_EQ(g.backgroundIndex(), 0);
}

} // namespace
} // namespace cadenzo
