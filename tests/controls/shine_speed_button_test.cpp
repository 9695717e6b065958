#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/shine_speed_button.h"
#include "support/test_app.h"
#include "widget_util.h"

namespace cadenzo {
namespace {

// A plain button `b`, and btn[0..2] in group 1, btn[3] in group 2.
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
    // The button's state and look after a mouse event at p.
    static std::pair<bool, ShineLook> After(void (*event)(QWidget*, QPoint, Qt::MouseButton),
                                            ShineSpeedButton* b, QPoint p) {
        event(b, p, Qt::LeftButton);
        return {b->Down(), b->look()};
    }
    static void Move(QWidget* w, QPoint p, Qt::MouseButton) { test::Move(w, p); }

    QApplication& app = test::App(); // before the first widget
    QWidget form;
    ShineSpeedButton* b = nullptr;
    ShineSpeedButton* btn[4];
};

// Moves count the edge as outside, the release counts it inside; a plain button never stays
// down, a group member released outside keeps its state, and disabling releases it.
TEST_F(ShineButtonTest, ReleaseOutsideFiresNoClickAndKeepsTheState) {
    int clicks = 0;
    QObject::connect(b, &ShineSpeedButton::clicked, [&] { ++clicks; });
    QObject::connect(btn[0], &ShineSpeedButton::clicked, [&] { ++clicks; });
    using S = std::pair<bool, ShineLook>;
    b->setDown(true); // ignored on a group index 0 button
    EXPECT_EQ(After(test::Press, b, {10, 10}), S(false, ShineLook::PressedHot));
    EXPECT_EQ(After(Move, b, {30, 30}), S(false, ShineLook::Up));
    EXPECT_EQ(After(test::Release, b, {30, 30}), S(false, ShineLook::Up));
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(b->dragging());
    test::Press(b, {10, 10});
    EXPECT_EQ(After(Move, b, {0, 10}).second, ShineLook::Up);
    EXPECT_EQ(After(Move, b, {1, 1}).second, ShineLook::PressedHot);
    EXPECT_EQ(After(Move, b, {24, 25}).second, ShineLook::Up);
    EXPECT_EQ(After(test::Release, b, {0, 0}), S(false, ShineLook::Up));
    EXPECT_EQ(clicks, 1);

    ShineSpeedButton* m = btn[0];
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

TEST_F(ShineButtonTest, OneGroupMemberGoesDownAndAllowAllUpPassesOn) {
    btn[3]->setDown(true);
    test::click(btn[0], {5, 5});
    test::click(btn[1], {5, 5});
    EXPECT_EQ(std::vector<bool>({btn[0]->Down(), btn[1]->Down(), btn[3]->Down()}),
              std::vector<bool>({false, true, true}));
    EXPECT_EQ(btn[1]->look(), ShineLook::Latched); // the mouse is not over it any more
    // Without allowAllUp the down member cannot be released directly.
    test::click(btn[1], {5, 5});
    btn[1]->setDown(false);
    EXPECT_TRUE(btn[1]->Down());
    // Members released by a down one with allowAllUp take it over, if they were down.
    btn[0]->setAllowAllUp(true);
    btn[0]->setDown(true);
    EXPECT_FALSE(btn[1]->Down());
    EXPECT_EQ(std::pair(btn[1]->allowAllUp(), btn[2]->allowAllUp()), std::pair(true, false));
    test::click(btn[0], {5, 5});
    EXPECT_FALSE(btn[0]->Down());
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
    for (const bool enabled : {true, true, false}) {
        const bool wasDown = b->Down();
        b->setEnabled(enabled);
        QTest::keyClick(&form, Qt::Key_P, Qt::AltModifier);
        EXPECT_EQ(b->Down(), enabled && !wasDown);
    }
    EXPECT_EQ(clicks, 2);
}

} // namespace
} // namespace cadenzo
