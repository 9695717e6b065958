#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/shine_speed_button.h"
#include "widget_util.h"

namespace cadenzo {
namespace {

using test::CountColor;
using test::PixelAt;

// Distinct plain colours, so every pixel says which rule painted it.
constexpr TColor kFace = RGB(200, 200, 200), kHigh = RGB(250, 250, 250), kShad = RGB(100, 100, 100),
                 kDark = RGB(10, 10, 10);
constexpr TColor kPFace = RGB(180, 180, 220), kPHigh = RGB(240, 240, 255),
                 kPShad = RGB(90, 90, 130), kPDark = RGB(20, 20, 60);

class ShineButtonTest : public ::testing::Test {
protected:
    ShineButtonTest() {
        form.resize(200, 100);
        NewButton();
    }
    void NewButton() {
        delete b;
        b = new TShineSpeedButton(&form);
        for (auto [set, c] : {std::pair{&b->Colors(), kFace}, {&b->PressedColors(), kPFace}}) {
            const bool up = c == kFace;
            set->setColor(c);
            set->setHighlight(up ? kHigh : kPHigh);
            set->setShadow(up ? kShad : kPShad);
            set->setDarkShadow(up ? kDark : kPDark);
        }
    }
    void Latch() { // down in a group, mouse elsewhere
        b->setGroupIndex(1);
        b->setDown(true);
        ASSERT_EQ(b->Look(), slLatched);
    }
    QWidget form;
    TShineSpeedButton* b = nullptr;
};

// The look after a mouse event, and the button's state.
const auto Pressed = [](TShineSpeedButton* b, QPoint p) { return test::Press(b, p), b->Look(); };
const auto Moved = [](TShineSpeedButton* b, QPoint p) { return test::Move(b, p), b->Look(); };
const auto Released = [](TShineSpeedButton* b, QPoint p) { return test::Release(b, p), b->Look(); };
const auto State = [](TShineSpeedButton* b) { return std::pair(b->Down(), b->Look()); };

TEST_F(ShineButtonTest, FramesDrawTheExactLines) {
    constexpr auto F = ftFlatFrame, N = ftNormalFrame, E = ftEnclosedFrame;
    const struct {
        TFrameType type;
        bool latched;
        int x, y;
        TColor color;
    } pixels[] = {
        // clang-format off
        // The end point of each line is not drawn: (24, 0) and (0, 24) keep the face.
        {F, 0, 24, 0, kFace}, {F, 0, 0, 24, kFace}, {F, 0, 0, 0, kHigh}, {F, 0, 23, 0, kHigh},
        {F, 0, 0, 23, kHigh}, {F, 0, 24, 24, kShad}, {F, 0, 1, 24, kShad}, {F, 0, 24, 1, kShad},
        {F, 1, 24, 0, kPFace}, {F, 1, 0, 24, kPFace}, {F, 1, 0, 0, kPShad}, {F, 1, 24, 24, kPHigh},
        {N, 0, 0, 0, kHigh}, {N, 0, 23, 0, kHigh}, {N, 0, 24, 0, kFace}, {N, 0, 24, 24, kDark},
        {N, 0, 24, 1, kDark}, {N, 0, 23, 23, kShad}, {N, 0, 1, 23, kShad}, {N, 0, 22, 22, kFace},
        {N, 1, 0, 0, kPDark}, {N, 1, 1, 1, kPShad}, {N, 1, 23, 1, kPShad}, {N, 1, 24, 1, kPHigh},
        {N, 1, 24, 24, kPHigh}, {N, 1, 24, 0, kPFace}, {N, 1, 2, 2, kPFace},
        // The enclosed outline always takes the DarkShadow of Colors.
        {E, 0, 0, 0, kDark}, {E, 0, 24, 0, kDark}, {E, 0, 0, 24, kDark}, {E, 0, 24, 24, kDark},
        {E, 0, 1, 1, kHigh}, {E, 0, 22, 1, kHigh}, {E, 0, 23, 1, kFace}, {E, 0, 23, 23, kShad},
        {E, 0, 2, 23, kShad}, {E, 0, 1, 23, kFace}, {E, 1, 0, 0, kDark}, {E, 1, 24, 24, kDark},
        {E, 1, 1, 1, kPShad}, {E, 1, 23, 23, kPHigh},
        // clang-format on
    };
    for (const auto& p : pixels) {
        NewButton();
        b->setFrameType(p.type);
        if (p.latched)
            Latch();
        EXPECT_EQ(PixelAt(b->Picture(), p.x, p.y), p.color)
            << "frame " << int(p.type) << " latched " << p.latched << " at " << p.x << "," << p.y;
    }
}

TEST_F(ShineButtonTest, FrameSwitchesHideTheFrameInTheirLooks) {
    b->setUpFrame(false);
    EXPECT_EQ(PixelAt(b->Picture(), 0, 0), kFace);
    test::Enter(b);
    ASSERT_EQ(b->Look(), slHot);
    EXPECT_EQ(PixelAt(b->Picture(), 0, 0), kHigh);
    b->setActiveFrame(false);
    EXPECT_EQ(PixelAt(b->Picture(), 0, 0), kFace);
    test::Leave(b);
    Latch();
    EXPECT_EQ(PixelAt(b->Picture(), 0, 0), kPDark);
    b->setDownFrame(false);
    EXPECT_EQ(PixelAt(b->Picture(), 0, 0), kPFace);
}

TEST_F(ShineButtonTest, GradientFacesRunFromColorToGradColor) {
    b->resize(30, 40);
    b->setUpFrame(false);
    b->setDownFrame(false);
    b->Colors().setColor(clWhite);
    b->Colors().setGradColor(clNavy);
    b->Colors().setGradation(true);
    b->Colors().setGradVertical(true);
    QImage img = b->Picture();
    for (int x : {0, 15, 29}) {
        EXPECT_EQ(PixelAt(img, x, 0), clWhite); // first row
        EXPECT_EQ(PixelAt(img, x, 39), clNavy); // last row
    }
    EXPECT_EQ(PixelAt(img, 5, 20), GradientStep(clWhite, clNavy, 130)); // 20 * 255 / 39
    b->Colors().setGradVertical(false);
    img = b->Picture();
    EXPECT_EQ(PixelAt(img, 0, 39), clWhite);
    EXPECT_EQ(PixelAt(img, 29, 0), clNavy);
    Latch(); // latched faces come from PressedColors, whose gradation is off
    img = b->Picture();
    EXPECT_EQ(PixelAt(img, 0, 10), kPFace);
    EXPECT_EQ(PixelAt(img, 29, 10), kPFace);
}

// 8 x 8, olive background, a red 4 x 4 block at (2, 2) with a green pixel at (3, 3).
QImage OliveGlyph() {
    QImage g(8, 8, QImage::Format_RGB32);
    g.fill(qRgb(128, 128, 0));
    for (int y = 2; y < 6; ++y)
        for (int x = 2; x < 6; ++x)
            g.setPixel(x, y, qRgb(255, 0, 0));
    g.setPixel(3, 3, qRgb(0, 255, 0));
    return g;
}

TEST_F(ShineButtonTest, OliveGlyphPixelsStayTransparentInEveryMode) {
    GlyphPixels src{8, 8, {}};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            src.px.push_back(FromQRgb(OliveGlyph().pixel(x, y)));
    const std::vector<bool> edge = EdgeMask(src);
    const struct {
        TShineLook look;
        TActiveImageType active;
        TDisabledImageType disabled;
    } cases[] = {
        // clang-format off
        {slUp, aiFrameLight, diDefault}, {slHot, aiNormal, diDefault},
        {slHot, aiXorLight, diDefault}, {slHot, aiHalfLight, diDefault},
        {slHot, aiQuaterLight, diDefault}, {slHot, aiAddLight, diDefault},
        {slHot, aiFrameLight, diDefault}, {slPressedHot, aiFrameLight2, diDefault},
        {slPressedHot, aiMaskLight, diDefault}, {slDisabled, aiNormal, diDefault},
        {slDisabled, aiNormal, diGrayscale}, {slDisabled, aiNormal, diAlphaHalfTrans},
        {slDisabled, aiNormal, diAlphaQuaterTrans}, {slDisabled, aiNormal, diMaskTrans},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "look " << int(c.look) << " active " << int(c.active)
                                          << " disabled " << int(c.disabled));
        NewButton();
        b->setFrameType(ftFlatFrame);
        b->setGlyph(OliveGlyph());
        b->setActiveImage(c.active);
        b->setDisabledImage(c.disabled);
        if (c.look == slHot)
            test::Enter(b);
        else if (c.look == slPressedHot)
            test::Press(b, {3, 3});
        else if (c.look == slDisabled)
            b->setEnabled(false);
        ASSERT_EQ(b->Look(), c.look);
        const bool pressed = c.look == slPressedHot;
        const int origin = (25 - 8) / 2 + (pressed ? 1 : 0);
        const GlyphPixels hot = HotGlyph(src, c.active, clYellow);
        const QImage img = b->Picture();
        int checked = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                if (src.at(x, y) != clOlive)
                    continue;
                TColor expected = pressed ? kPFace : kFace;
                if ((c.look == slHot || pressed) && hot.at(x, y) != clOlive)
                    expected = clYellow; // outline of the frame modes
                if (c.look == slDisabled && c.disabled == diDefault && x > 0 && y > 0 &&
                    edge[std::size_t((y - 1) * 8 + x - 1)])
                    continue; // lit by the highlight copy of the mask, one pixel down-right
                EXPECT_EQ(PixelAt(img, origin + x, origin + y), expected) << x << "," << y;
                ++checked;
            }
        EXPECT_GT(checked, 30);
        EXPECT_EQ(CountColor(img, clOlive), 0);
    }
}

TEST_F(ShineButtonTest, HotGlyphShiftsWhenPressedAndDisabledGlyphShowsItsEdges) {
    b->setGlyph(OliveGlyph());
    b->setActiveImage(aiHalfLight);
    test::Press(b, {3, 3}); // pressed-hot: one pixel right and down from (8, 8)
    const QImage pressed = b->Picture();
    EXPECT_EQ(PixelAt(pressed, 11, 11), RGB(255, 127, 0));
    EXPECT_EQ(PixelAt(pressed, 10, 10), kPFace);
    b->setEnabled(false);
    b->setDisabledHighlight(clLime);
    b->setDisabledShadow(clBlue);
    const QImage off = b->Picture();
    // Edge mask: the block's bottom-right pixel (5, 5) in place, and its copy at (6, 6).
    EXPECT_EQ(PixelAt(off, 13, 13), clBlue);
    EXPECT_EQ(PixelAt(off, 14, 14), clLime);
    EXPECT_EQ(CountColor(off, clRed), 0);
}

// Whether every pixel of colour c lies d pixels down-right of a pixel of colour text.
bool CopyOf(const QImage& img, TColor c, TColor text, int d, const QImage& textImg) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (PixelAt(img, x, y) == c && ++n && PixelAt(textImg, x - d, y - d) != text)
                return false;
    return n > 0;
}

TEST_F(ShineButtonTest, CaptionCopiesAndLooks) {
    b->resize(80, 30);
    b->setFrameType(ftFlatFrame);
    b->setUpFrame(false);
    b->setDownFrame(false);
    b->setActiveFrame(false);
    QFont f = b->font();
    f.setPixelSize(16);
    b->setFont(f);
    b->setActiveFont(f);
    b->setCaption("Wk");
    b->setFontColor(clBlue);
    const QImage plain = b->Picture();
    const int ink = CountColor(plain, clBlue);
    ASSERT_GT(ink, 20);
    b->setFontShadow(clLime);
    b->setFontHighlight(clRed);
    QImage img = b->Picture();
    EXPECT_TRUE(CopyOf(img, clLime, clBlue, 1, plain));
    EXPECT_TRUE(CopyOf(img, clRed, clBlue, -1, plain));
    EXPECT_TRUE(CopyOf(img, clBlue, clBlue, 0, plain)); // the caption itself is drawn last
    EXPECT_EQ(CountColor(img, clBlue), ink);

    b->setActiveFontColor(clFuchsia); // hot: the active font, in place
    test::Enter(b);
    EXPECT_TRUE(CopyOf(b->Picture(), clFuchsia, clBlue, 0, plain));
    test::Press(b, {5, 5}); // pressed: one pixel down-right
    EXPECT_TRUE(CopyOf(b->Picture(), clFuchsia, clBlue, 1, plain));
    EXPECT_EQ(CountColor(b->Picture(), clFuchsia), ink);
    test::Release(b, {5, 5});

    b->setDisabledHighlight(clYellow);
    b->setDisabledShadow(clMaroon);
    b->setEnabled(false);
    img = b->Picture();
    EXPECT_TRUE(CopyOf(img, clMaroon, clBlue, 0, plain));
    EXPECT_EQ(CountColor(img, clMaroon), ink);
    EXPECT_TRUE(CopyOf(img, clYellow, clBlue, 1, plain));
    EXPECT_EQ(CountColor(img, clBlue) + CountColor(img, clLime), 0);
}

TEST_F(ShineButtonTest, ReleaseOutsideFiresNoClickAndLeavesThePlainButtonUp) {
    int clicks = 0;
    QObject::connect(b, &TShineSpeedButton::OnClick, [&] { ++clicks; });
    b->setDown(true); // ignored on a group index 0 button
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(Pressed(b, {10, 10}), slPressedHot);
    EXPECT_EQ(Moved(b, {30, 30}), slUp);
    EXPECT_EQ(Released(b, {30, 30}), slUp);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(b->Dragging());
    // Moves count the edge as outside, the release counts it inside.
    test::Press(b, {10, 10});
    EXPECT_EQ(Moved(b, {0, 10}), slUp);
    EXPECT_EQ(Moved(b, {1, 1}), slPressedHot);
    EXPECT_EQ(Moved(b, {24, 25}), slUp);
    EXPECT_EQ(Released(b, {0, 0}), slUp);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ShineButtonTest, ClickDownHookAndDoubleClick) {
    std::vector<TShineLook> seen;
    QObject::connect(b, &TShineSpeedButton::OnClick, [&] { seen.push_back(b->Look()); });
    test::Click(b, {5, 5});
    b->setClickDownHook(true); // the handler sees the pressed look
    test::Click(b, {5, 5});
    EXPECT_EQ(seen, (std::vector<TShineLook>{slUp, slPressedHot}));
    EXPECT_EQ(b->Look(), slUp);

    int dbl = 0; // fires only while down
    QObject::connect(b, &TShineSpeedButton::OnDblClick, [&] { ++dbl; });
    b->setGroupIndex(2);
    test::SendMouse(b, QEvent::MouseButtonDblClick, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    test::Release(b, {5, 5}); // latches it
    EXPECT_EQ(dbl, 0);
    test::SendMouse(b, QEvent::MouseButtonDblClick, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(dbl, 1);
}

class GroupTest : public ::testing::Test {
protected:
    GroupTest() {
        for (int i = 0; i < 4; ++i) {
            btn[i] = new TShineSpeedButton(&form);
            btn[i]->setGroupIndex(i < 3 ? 1 : 2); // btn[3] is in another group
            btn[i]->move(30 * i, 0);
        }
    }
    QWidget form;
    TShineSpeedButton* btn[4];
};

TEST_F(GroupTest, OneMemberGoesDownAndAllowAllUpPassesOn) {
    btn[3]->setDown(true);
    test::Click(btn[0], {5, 5});
    EXPECT_TRUE(btn[0]->Down());
    test::Click(btn[1], {5, 5});
    EXPECT_EQ(State(btn[0]), std::pair(false, slUp));
    EXPECT_EQ(State(btn[1]), std::pair(true, slLatched)); // the mouse is not over it any more
    EXPECT_TRUE(btn[3]->Down());                          // another group
    // Without AllowAllUp the down member cannot be released directly.
    test::Click(btn[1], {5, 5});
    EXPECT_TRUE(btn[1]->Down());
    btn[1]->setDown(false);
    EXPECT_TRUE(btn[1]->Down());
    // Members released by a down one with AllowAllUp take it over.
    btn[0]->setAllowAllUp(true);
    btn[0]->setDown(true);
    EXPECT_FALSE(btn[1]->Down());
    EXPECT_TRUE(btn[1]->AllowAllUp());
    EXPECT_FALSE(btn[2]->AllowAllUp()); // was not down
    test::Click(btn[0], {5, 5});
    EXPECT_FALSE(btn[0]->Down()); // all up is allowed
}

TEST_F(GroupTest, ReleaseOutsideKeepsDownAndDisablingReleasesIt) {
    TShineSpeedButton* b = btn[0];
    int clicks = 0;
    QObject::connect(b, &TShineSpeedButton::OnClick, [&] { ++clicks; });
    test::Press(b, {5, 5});
    test::Release(b, {-3, 5});
    EXPECT_EQ(State(b), std::pair(false, slUp));
    b->setDown(true);
    test::Press(b, {5, 5});
    EXPECT_EQ(Moved(b, {40, 5}), slLatched);
    test::Release(b, {40, 5});
    EXPECT_EQ(State(b), std::pair(true, slLatched));
    EXPECT_EQ(clicks, 0);

    b->setEnabled(false);
    EXPECT_EQ(State(b), std::pair(false, slDisabled));
    test::Click(b, {5, 5});
    EXPECT_FALSE(b->Down());
    b->setEnabled(true);
    EXPECT_EQ(b->Look(), slUp);
}

TEST_F(ShineButtonTest, EnteringAndLeavingSwitchTheHotLooks) {
    int enters = 0, leaves = 0;
    QObject::connect(b, &TShineSpeedButton::OnMouseEnter, [&] { ++enters; });
    QObject::connect(b, &TShineSpeedButton::OnMouseLeave, [&] { ++leaves; });
    const auto enter = [&] { return test::Enter(b), std::pair(b->Look(), b->CheckTimerActive()); };
    const auto leave = [&] { return test::Leave(b), std::pair(b->Look(), b->CheckTimerActive()); };
    EXPECT_EQ(enter(), std::pair(slHot, true));
    EXPECT_EQ(leave(), std::pair(slUp, false));
    Latch();
    EXPECT_EQ(enter().first, slPressedHot);
    EXPECT_EQ(leave().first, slLatched);
    b->setEnabled(false);
    EXPECT_EQ(enter().first, slDisabled);
    EXPECT_EQ(enters, 3);
    EXPECT_EQ(leaves, 2);
}

TEST_F(ShineButtonTest, CheckTimerEndsTheHotLookOnlyWhenTheMouseIsGone) {
    int leaves = 0;
    QObject::connect(b, &TShineSpeedButton::OnMouseLeave, [&] { ++leaves; });
    form.show();
    QCursor::setPos(b->mapToGlobal(QPoint(12, 12)));
    QCoreApplication::processEvents();
    test::Enter(b);
    b->CheckMouseTick();
    EXPECT_EQ(b->Look(), slHot); // still over it
    EXPECT_TRUE(b->CheckTimerActive());
    QCursor::setPos(5000, 5000);
    QCoreApplication::processEvents();
    // No leave event comes; the 200 ms check notices.
    for (int i = 0; i < 100 && b->Look() != slUp; ++i)
        QTest::qWait(50);
    EXPECT_EQ(b->Look(), slUp);
    EXPECT_FALSE(b->CheckTimerActive());
    EXPECT_EQ(leaves, 1);
}

TEST_F(ShineButtonTest, AcceleratorTogglesDownAndClicks) {
    int clicks = 0;
    QObject::connect(b, &TShineSpeedButton::OnClick, [&] { ++clicks; });
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

TEST_F(ShineButtonTest, PaintEventShowsThePictureAndTransparentPaintsNoFace) {
    b->setFrameType(ftEnclosedFrame);
    b->setGlyph(OliveGlyph());
    EXPECT_EQ(b->grab().toImage().convertToFormat(QImage::Format_RGB32), b->Picture());
    b->setFrameType(ftFlatFrame);
    b->setTransparent(true);
    EXPECT_FALSE(b->testAttribute(Qt::WA_OpaquePaintEvent));
    const QImage img = b->Picture();
    EXPECT_EQ(qAlpha(img.pixel(12, 2)), 0); // no face
    EXPECT_EQ(qAlpha(img.pixel(8, 8)), 0);  // olive glyph pixel
    EXPECT_EQ(img.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(PixelAt(img, 0, 0), kHigh); // the frame is still drawn
}

} // namespace
} // namespace cadenzo
