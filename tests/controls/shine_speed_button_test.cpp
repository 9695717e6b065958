#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/shine_speed_button.h"
#include "support/test_app.h"
#include "widget_util.h"

namespace cadenzo {
namespace {

// A plain button `b`, and four more: btn[0..2] in group 1, btn[3] in group 2.
class ShineButtonTest : public ::testing::Test {
protected:
    ShineButtonTest() {
        form.resize(200, 100);
        b = new ShineSpeedButton(&form);
        for (int i = 0; i < 4; ++i) {
            btn[i] = new ShineSpeedButton(&form);
            btn[i]->setGroupIndex(i < 3 ? 1 : 2);
            btn[i]->move(30 * i, 40);
        }
    }
    QApplication& app = test::App(); // before the first widget
    QWidget form;
    ShineSpeedButton* b = nullptr;
    ShineSpeedButton* btn[4];
};
using GroupTest = ShineButtonTest;

// The look after a mouse event, and the button's state.
const auto Pressed = [](ShineSpeedButton* b, QPoint p) { return test::Press(b, p), b->look(); };
const auto Moved = [](ShineSpeedButton* b, QPoint p) { return test::Move(b, p), b->look(); };
const auto Released = [](ShineSpeedButton* b, QPoint p) { return test::Release(b, p), b->look(); };
const auto State = [](ShineSpeedButton* b) { return std::pair(b->Down(), b->look()); };

TEST_F(ShineButtonTest, ReleaseOutsideFiresNoClickAndLeavesThePlainButtonUp) {
    int clicks = 0;
    QObject::connect(b, &ShineSpeedButton::clicked, [&] { ++clicks; });
    b->setDown(true); // ignored on a group index 0 button
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(Pressed(b, {10, 10}), ShineLook::PressedHot);
    EXPECT_EQ(Moved(b, {30, 30}), ShineLook::Up);
    EXPECT_EQ(Released(b, {30, 30}), ShineLook::Up);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(b->dragging());
    // Moves count the edge as outside, the release counts it inside.
    test::Press(b, {10, 10});
    EXPECT_EQ(Moved(b, {0, 10}), ShineLook::Up);
    EXPECT_EQ(Moved(b, {1, 1}), ShineLook::PressedHot);
    EXPECT_EQ(Moved(b, {24, 25}), ShineLook::Up);
    EXPECT_EQ(Released(b, {0, 0}), ShineLook::Up);
    EXPECT_EQ(clicks, 1);
}

TEST_F(GroupTest, OneMemberGoesDownAndAllowAllUpPassesOn) {
    btn[3]->setDown(true);
    test::click(btn[0], {5, 5});
    EXPECT_TRUE(btn[0]->Down());
    test::click(btn[1], {5, 5});
    EXPECT_EQ(State(btn[0]), std::pair(false, ShineLook::Up));
    EXPECT_EQ(State(btn[1]),
              std::pair(true, ShineLook::Latched)); // the mouse is not over it any more
    EXPECT_TRUE(btn[3]->Down());                    // another group
    // Without allowAllUp the down member cannot be released directly.
    test::click(btn[1], {5, 5});
    EXPECT_TRUE(btn[1]->Down());
    btn[1]->setDown(false);
    EXPECT_TRUE(btn[1]->Down());
    // Members released by a down one with allowAllUp take it over.
    btn[0]->setAllowAllUp(true);
    btn[0]->setDown(true);
    EXPECT_FALSE(btn[1]->Down());
    EXPECT_TRUE(btn[1]->allowAllUp());
    EXPECT_FALSE(btn[2]->allowAllUp()); // was not down
    test::click(btn[0], {5, 5});
    EXPECT_FALSE(btn[0]->Down()); // all up is allowed
}

TEST_F(GroupTest, ReleaseOutsideKeepsDownAndDisablingReleasesIt) {
    ShineSpeedButton* b = btn[0];
    int clicks = 0;
    QObject::connect(b, &ShineSpeedButton::clicked, [&] { ++clicks; });
    test::Press(b, {5, 5});
    test::Release(b, {-3, 5});
    EXPECT_EQ(State(b), std::pair(false, ShineLook::Up));
    b->setDown(true);
    test::Press(b, {5, 5});
    EXPECT_EQ(Moved(b, {40, 5}), ShineLook::Latched);
    test::Release(b, {40, 5});
    EXPECT_EQ(State(b), std::pair(true, ShineLook::Latched));
    EXPECT_EQ(clicks, 0);

    b->setEnabled(false);
    EXPECT_EQ(State(b), std::pair(false, ShineLook::Disabled));
    test::click(b, {5, 5});
    EXPECT_FALSE(b->Down());
    b->setEnabled(true);
    EXPECT_EQ(b->look(), ShineLook::Up);
}

TEST_F(ShineButtonTest, AcceleratorTogglesDownAndClicks) {
    int clicks = 0;
    QObject::connect(b, &ShineSpeedButton::clicked, [&] { ++clicks; });
    b->setCaption("&Play");
    b->setGroupIndex(3);
    b->setAllowAllUp(true);
    b->setAccelCharDown(true);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(b->Down());
    QTest::keyClick(&form, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(b->Down());
    b->setEnabled(false);
    QTest::keyClick(&form, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(clicks, 2);
}

} // namespace
} // namespace cadenzo
