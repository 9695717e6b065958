#include <QApplication>
#include <QFocusEvent>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/color_grid.h"
#include "support/test_app.h"
#include "widget_util.h"

namespace cadenzo {
namespace {

TEST(ColorGrid, MouseButtonsPickAndDragTheirSides) {
    test::App();
    ColorGrid g;
    int changes = 0, clicks = 0;
    QObject::connect(&g, &ColorGrid::changed, [&] { ++changes; });
    QObject::connect(&g, &ColorGrid::clicked, [&] { ++clicks; });
    test::Press(&g, {60, 30}); // cell 6
    EXPECT_EQ(g.foregroundIndex(), 6);
    EXPECT_EQ(g.Selection(), 6);
    test::Move(&g, {80, 30}); // cell 7
    EXPECT_EQ(g.foregroundIndex(), 7);
    test::Move(&g, {-20, 300}); // clamped: cell 12
    EXPECT_EQ(g.foregroundIndex(), 12);
    EXPECT_EQ(g.Selection(), 12);
    EXPECT_EQ(g.backgroundIndex(), 0);
    test::Release(&g, {-20, 300});
    EXPECT_EQ(clicks, 0); // left released outside: no click
    test::click(&g, {10, 10});
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(changes, 4);
    test::Move(&g, {80, 80}, Qt::NoButton); // no drag any more
    EXPECT_EQ(g.foregroundIndex(), 0);

    test::Press(&g, {90, 90}, Qt::RightButton);
    EXPECT_EQ(g.backgroundIndex(), 15);
    EXPECT_EQ(g.foregroundIndex(), 0);
    test::Move(&g, {90, 10}, Qt::RightButton);
    EXPECT_EQ(g.backgroundIndex(), 3);
    test::Release(&g, {500, 10}, Qt::RightButton);
    EXPECT_EQ(clicks, 2); // right clicks even outside
}

TEST(ColorGrid, KeysMoveTheSelectionAndPickSides) {
    test::App();
    ColorGrid g;
    const auto key = [&](int k) { return QTest::keyClick(&g, Qt::Key(k)), g.Selection(); };
    g.setSelection(16); // no colour: moves still land in the grid
    EXPECT_EQ(key(Qt::Key_Left), 15);
    int clicks = 0;
    QObject::connect(&g, &ColorGrid::clicked, [&] { ++clicks; });
    EXPECT_EQ(key(Qt::Key_Right), 0); // wraps around
    EXPECT_EQ(key(Qt::Key_Up), 15);
    EXPECT_EQ(key(Qt::Key_Space), 0);
    key(Qt::Key_Down);
    EXPECT_EQ(key(Qt::Key_Down), 8);
    EXPECT_EQ(key(Qt::Key_Right), 9);
    QTest::keyClick(&g, 'f');
    EXPECT_EQ(g.foregroundIndex(), 9);
    EXPECT_EQ(key(Qt::Key_End), 15);
    QTest::keyClick(&g, 'B');
    EXPECT_EQ(g.backgroundIndex(), 15);
    EXPECT_EQ(clicks, 2);
    g.setBackgroundEnabled(false);
    EXPECT_EQ(key(Qt::Key_Home), 0);
    QTest::keyClick(&g, 'b');
    EXPECT_EQ(g.backgroundIndex(), 15);
    EXPECT_EQ(clicks, 3); // the click fires even when nothing changed
    g.setClickEnablesColor(true);
    QTest::keyClick(&g, 'b');
    EXPECT_TRUE(g.backgroundEnabled());
    EXPECT_EQ(g.backgroundIndex(), 0);
}

} // namespace
} // namespace cadenzo
