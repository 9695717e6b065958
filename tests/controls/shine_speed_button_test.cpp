#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/shine_speed_button.h"
#include "support/test_app.h"
#include "widget_util.h"

namespace cadenzo {
namespace {

// A plain button `b`, and `member` in group 1.
class ShineButtonTest : public ::testing::Test {
protected:
    ShineButtonTest() {
        form.resize(200, 100);
        member->setGroupIndex(1);
        member->move(0, 40);
    }
    // The button's state and look after a mouse event at p.
    static std::pair<bool, ShineLook> After(void (*event)(QWidget*, QPoint, Qt::MouseButton),
                                            ShineSpeedButton* b, QPoint p) {
        event(b, p, Qt::LeftButton);
        return {b->Down(), b->look()};
    }
    static void Move(QWidget* w, QPoint p, Qt::MouseButton) { test::Move(w, p); }

    QApplication& app = test::App(); // before the first widget
    QWidget form;
    ShineSpeedButton* b = new ShineSpeedButton(&form);
    ShineSpeedButton* member = new ShineSpeedButton(&form);
};

// The release counts the edge inside; a plain button never stays down, a group member released
// outside keeps its state, and disabling releases it.
TEST_F(ShineButtonTest, ReleaseOutsideFiresNoClickAndKeepsTheState) {
    int clicks = 0;
    QObject::connect(b, &ShineSpeedButton::clicked, [&] { ++clicks; });
    QObject::connect(member, &ShineSpeedButton::clicked, [&] { ++clicks; });
    using S = std::pair<bool, ShineLook>;
    b->setDown(true); // ignored on a group index 0 button
    EXPECT_EQ(After(test::Press, b, {10, 10}), S(false, ShineLook::PressedHot));
    EXPECT_EQ(After(Move, b, {30, 30}), S(false, ShineLook::Up));
    EXPECT_EQ(After(test::Release, b, {30, 30}), S(false, ShineLook::Up));
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(b->dragging());
    test::Press(b, {10, 10});
    EXPECT_EQ(After(Move, b, {0, 10}).second, ShineLook::Up);
    EXPECT_EQ(After(test::Release, b, {0, 0}), S(false, ShineLook::Up));
    EXPECT_EQ(clicks, 1);

    ShineSpeedButton* m = member;
    test::Press(m, {5, 5});
    EXPECT_EQ(After(test::Release, m, {-3, 5}), S(false, ShineLook::Up));
    m->setDown(true);
    test::Press(m, {5, 5});
    EXPECT_EQ(After(Move, m, {40, 5}), S(true, ShineLook::Latched));
    EXPECT_EQ(After(test::Release, m, {40, 5}), S(true, ShineLook::Latched));
    EXPECT_EQ(clicks, 1);
    m->setEnabled(false);
    EXPECT_EQ(S(m->Down(), m->look()), S(false, ShineLook::Disabled));
    test::click(m, {5, 5});
    EXPECT_FALSE(m->Down());
    m->setEnabled(true);
    EXPECT_EQ(m->look(), ShineLook::Up);
}

} // namespace
} // namespace cadenzo
