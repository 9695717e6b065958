#include <QApplication>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/shine_speed_button.h"
#include "pixel_util.h"
#include "widget_events.h"

namespace cadenzo {
namespace {

using test::CountColor;
using test::PixelAt;

// Distinct plain colours, so every pixel says which rule painted it.
constexpr TColor kFace = RGB(200, 200, 200);
constexpr TColor kHigh = RGB(250, 250, 250);
constexpr TColor kShad = RGB(100, 100, 100);
constexpr TColor kDark = RGB(10, 10, 10);
constexpr TColor kPFace = RGB(180, 180, 220);
constexpr TColor kPHigh = RGB(240, 240, 255);
constexpr TColor kPShad = RGB(90, 90, 130);
constexpr TColor kPDark = RGB(20, 20, 60);

void PlainColors(TShineSpeedButton& b) {
    b.Colors().setColor(kFace);
    b.Colors().setHighlight(kHigh);
    b.Colors().setShadow(kShad);
    b.Colors().setDarkShadow(kDark);
    b.PressedColors().setColor(kPFace);
    b.PressedColors().setHighlight(kPHigh);
    b.PressedColors().setShadow(kPShad);
    b.PressedColors().setDarkShadow(kPDark);
}

class ShineButtonTest : public ::testing::Test {
protected:
    ShineButtonTest() {
        form.resize(200, 100);
        b = new TShineSpeedButton(&form);
        PlainColors(*b);
    }
    // Latched: down in a group, mouse elsewhere.
    void Latch() {
        b->setGroupIndex(1);
        b->setDown(true);
        ASSERT_EQ(b->Look(), slLatched);
    }
    QWidget form;
    TShineSpeedButton* b;
};

// ---- Frames ----

struct FramePixel {
    int x, y;
    TColor color;
};
struct FrameCase {
    const char* name;
    TFrameType type;
    TShineLook look;
    std::vector<FramePixel> pixels;
};

class FrameTest : public ShineButtonTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(FrameTest, DrawsTheExactLines) {
    const FrameCase& c = GetParam();
    b->setFrameType(c.type);
    if (c.look == slLatched)
        Latch();
    const QImage img = b->Picture();
    for (const FramePixel& p : c.pixels)
        EXPECT_EQ(PixelAt(img, p.x, p.y), p.color) << c.name << " at " << p.x << "," << p.y;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrameTest,
    ::testing::Values(
        // The end point of each line is not drawn: (24, 0) and (0, 24) keep the face.
        FrameCase{"flat raised",
                  ftFlatFrame,
                  slUp,
                  {{24, 0, kFace},
                   {0, 24, kFace},
                   {0, 0, kHigh},
                   {23, 0, kHigh},
                   {0, 23, kHigh},
                   {24, 24, kShad},
                   {1, 24, kShad},
                   {24, 1, kShad},
                   {12, 12, kFace}}},
        FrameCase{"flat pressed",
                  ftFlatFrame,
                  slLatched,
                  {{24, 0, kPFace}, {0, 24, kPFace}, {0, 0, kPShad}, {24, 24, kPHigh}}},
        FrameCase{"normal raised",
                  ftNormalFrame,
                  slUp,
                  {{0, 0, kHigh},
                   {23, 0, kHigh},
                   {24, 0, kFace},
                   {0, 24, kFace},
                   {24, 24, kDark},
                   {24, 1, kDark},
                   {23, 23, kShad},
                   {1, 23, kShad},
                   {22, 22, kFace}}},
        FrameCase{"normal pressed",
                  ftNormalFrame,
                  slLatched,
                  {{0, 0, kPDark},
                   {1, 1, kPShad},
                   {23, 1, kPShad},
                   {24, 1, kPHigh},
                   {24, 24, kPHigh},
                   {24, 0, kPFace},
                   {2, 2, kPFace}}},
        // The enclosed outline always takes the DarkShadow of Colors.
        FrameCase{"enclosed raised",
                  ftEnclosedFrame,
                  slUp,
                  {{0, 0, kDark},
                   {24, 0, kDark},
                   {0, 24, kDark},
                   {24, 24, kDark},
                   {1, 1, kHigh},
                   {22, 1, kHigh},
                   {23, 1, kFace},
                   {23, 23, kShad},
                   {2, 23, kShad},
                   {1, 23, kFace}}},
        FrameCase{"enclosed pressed",
                  ftEnclosedFrame,
                  slLatched,
                  {{0, 0, kDark}, {24, 24, kDark}, {1, 1, kPShad}, {23, 23, kPHigh}}}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (ch == ' ')
                ch = '_';
        return n;
    });

TEST_F(ShineButtonTest, FrameSwitchesHideTheFrameInTheirLooks) {
    b->setUpFrame(false);
    EXPECT_EQ(PixelAt(b->Picture(), 0, 0), kFace);
    test::Enter(b); // hot
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

// ---- Face ----

TEST_F(ShineButtonTest, VerticalGradientRunsFromColorOnTheFirstRowToGradColorOnTheLast) {
    b->resize(30, 40);
    b->setUpFrame(false);
    b->Colors().setColor(clWhite);
    b->Colors().setGradColor(clNavy);
    b->Colors().setGradation(true);
    b->Colors().setGradVertical(true);
    const QImage img = b->Picture();
    for (int x : {0, 15, 29}) {
        EXPECT_EQ(PixelAt(img, x, 0), clWhite);
        EXPECT_EQ(PixelAt(img, x, 39), clNavy);
    }
    // Row 20 shows step 20 * 255 / 39 = 130.
    EXPECT_EQ(PixelAt(img, 5, 20), GradientStep(clWhite, clNavy, 130));
}

TEST_F(ShineButtonTest, HorizontalGradientAndThePressedSet) {
    b->resize(40, 20);
    b->setUpFrame(false);
    b->setDownFrame(false);
    b->Colors().setColor(clRed);
    b->Colors().setGradColor(clBlue);
    b->Colors().setGradation(true);
    QImage img = b->Picture();
    EXPECT_EQ(PixelAt(img, 0, 10), clRed);
    EXPECT_EQ(PixelAt(img, 39, 10), clBlue);
    EXPECT_EQ(PixelAt(img, 39, 0), clBlue);
    // Latched faces come from PressedColors, whose gradation is still off.
    Latch();
    img = b->Picture();
    EXPECT_EQ(PixelAt(img, 0, 10), kPFace);
    EXPECT_EQ(PixelAt(img, 39, 10), kPFace);
}

// ---- Glyph looks ----

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

GlyphPixels ToPixels(const QImage& img) {
    GlyphPixels g{img.width(), img.height(), {}};
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            g.px.push_back(FromQRgb(img.pixel(x, y)));
    return g;
}

struct GlyphCase {
    const char* name;
    TShineLook look;
    TActiveImageType active;
    TDisabledImageType disabled;
};

class GlyphTest : public ShineButtonTest, public ::testing::WithParamInterface<GlyphCase> {};

TEST_P(GlyphTest, OlivePixelsStayTransparent) {
    const GlyphCase& c = GetParam();
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
    const TColor face = pressed ? kPFace : kFace;
    const int origin = (25 - 8) / 2 + (pressed ? 1 : 0);

    const GlyphPixels src = ToPixels(OliveGlyph());
    const GlyphPixels hot = HotGlyph(src, c.active, clYellow);
    const std::vector<bool> edge = EdgeMask(src);
    const QImage img = b->Picture();
    int checked = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            if (src.at(x, y) != clOlive)
                continue;
            TColor expected = face;
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

INSTANTIATE_TEST_SUITE_P(
    Cases, GlyphTest,
    ::testing::Values(GlyphCase{"up", slUp, aiFrameLight, diDefault},
                      GlyphCase{"normal", slHot, aiNormal, diDefault},
                      GlyphCase{"xor", slHot, aiXorLight, diDefault},
                      GlyphCase{"half", slHot, aiHalfLight, diDefault},
                      GlyphCase{"quater", slHot, aiQuaterLight, diDefault},
                      GlyphCase{"add", slHot, aiAddLight, diDefault},
                      GlyphCase{"frame", slHot, aiFrameLight, diDefault},
                      GlyphCase{"frame2", slPressedHot, aiFrameLight2, diDefault},
                      GlyphCase{"mask", slPressedHot, aiMaskLight, diDefault},
                      GlyphCase{"disabled_default", slDisabled, aiNormal, diDefault},
                      GlyphCase{"grayscale", slDisabled, aiNormal, diGrayscale},
                      GlyphCase{"alpha_half", slDisabled, aiNormal, diAlphaHalfTrans},
                      GlyphCase{"alpha_quater", slDisabled, aiNormal, diAlphaQuaterTrans},
                      GlyphCase{"mask_trans", slDisabled, aiNormal, diMaskTrans}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShineButtonTest, GlyphLooksShowTheirPixelRulesAndThePressedShift) {
    b->setGlyph(OliveGlyph());
    b->setActiveImage(aiHalfLight);
    EXPECT_EQ(PixelAt(b->Picture(), 10, 10), clRed); // up: unchanged, glyph at (8, 8)
    test::Enter(b);
    EXPECT_EQ(PixelAt(b->Picture(), 10, 10), RGB(255, 127, 0));
    test::Press(b, {3, 3}); // pressed-hot: one pixel right and down
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

// ---- Caption ----

class CaptionTest : public ShineButtonTest {
protected:
    CaptionTest() {
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
    }
    static QSet<std::pair<int, int>> Pixels(const QImage& img, TColor c) {
        QSet<std::pair<int, int>> s;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (PixelAt(img, x, y) == c)
                    s.insert({x, y});
        return s;
    }
    static bool AllShifted(const QSet<std::pair<int, int>>& copy,
                           const QSet<std::pair<int, int>>& text, int dx, int dy) {
        for (auto [x, y] : copy)
            if (!text.contains({x - dx, y - dy}))
                return false;
        return true;
    }
};

TEST_F(CaptionTest, ShadowAndHighlightCopiesSitUnderTheCaption) {
    const auto text = Pixels(b->Picture(), clBlue);
    ASSERT_GT(text.size(), 20);
    b->setFontShadow(clLime);
    b->setFontHighlight(clRed);
    const QImage img = b->Picture();
    const auto shadow = Pixels(img, clLime), high = Pixels(img, clRed);
    EXPECT_GT(shadow.size(), 0);
    EXPECT_GT(high.size(), 0);
    EXPECT_TRUE(AllShifted(shadow, text, 1, 1));
    EXPECT_TRUE(AllShifted(high, text, -1, -1));
    EXPECT_EQ(Pixels(img, clBlue), text); // the caption itself is drawn last
}

TEST_F(CaptionTest, PressedLookMovesTheCaptionAndHotLookUsesTheActiveFont) {
    const auto text = Pixels(b->Picture(), clBlue);
    b->setActiveFontColor(clFuchsia);
    test::Enter(b);
    const auto hot = Pixels(b->Picture(), clFuchsia);
    EXPECT_EQ(hot, text);
    test::Press(b, {5, 5});
    const auto pressed = Pixels(b->Picture(), clFuchsia);
    EXPECT_EQ(pressed.size(), text.size());
    EXPECT_TRUE(AllShifted(pressed, text, 1, 1));
}

TEST_F(CaptionTest, DisabledCaptionIsDrawnInTheDisabledColours) {
    const auto text = Pixels(b->Picture(), clBlue);
    b->setFontShadow(clLime);
    b->setDisabledHighlight(clYellow);
    b->setDisabledShadow(clMaroon);
    b->setEnabled(false);
    const QImage img = b->Picture();
    EXPECT_EQ(Pixels(img, clMaroon), text);
    const auto light = Pixels(img, clYellow);
    EXPECT_GT(light.size(), 0);
    EXPECT_TRUE(AllShifted(light, text, 1, 1));
    EXPECT_EQ(CountColor(img, clBlue), 0);
    EXPECT_EQ(CountColor(img, clLime), 0);
}

// ---- Mouse ----

TEST_F(ShineButtonTest, ReleasingOutsideFiresNoClickAndLeavesThePlainButtonUp) {
    int clicks = 0;
    QObject::connect(b, &TShineSpeedButton::OnClick, [&] { ++clicks; });
    test::Press(b, {10, 10});
    EXPECT_EQ(b->Look(), slPressedHot);
    test::Move(b, {30, 30});
    EXPECT_EQ(b->Look(), slUp);
    test::Release(b, {30, 30});
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(b->Look(), slUp);
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(b->Dragging());

    test::Press(b, {10, 10});
    test::Release(b, {10, 10});
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(b->Look(), slUp);
}

TEST_F(ShineButtonTest, MovesCountTheEdgeAsOutsideButReleaseCountsItInside) {
    int clicks = 0;
    QObject::connect(b, &TShineSpeedButton::OnClick, [&] { ++clicks; });
    test::Press(b, {10, 10});
    test::Move(b, {0, 10});
    EXPECT_EQ(b->Look(), slUp);
    test::Move(b, {1, 1});
    EXPECT_EQ(b->Look(), slPressedHot);
    test::Move(b, {24, 25});
    EXPECT_EQ(b->Look(), slUp);
    test::Release(b, {0, 0});
    EXPECT_EQ(clicks, 1);
}

TEST_F(ShineButtonTest, DownIsIgnoredOnAPlainButton) {
    b->setDown(true);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(b->Look(), slUp);
}

TEST_F(ShineButtonTest, ClickDownHookShowsThePressedLookWhileTheHandlerRuns) {
    std::vector<TShineLook> seen;
    QObject::connect(b, &TShineSpeedButton::OnClick, [&] { seen.push_back(b->Look()); });
    test::Click(b, {5, 5});
    b->setClickDownHook(true);
    test::Click(b, {5, 5});
    EXPECT_EQ(seen, (std::vector<TShineLook>{slUp, slPressedHot}));
    EXPECT_EQ(b->Look(), slUp);
}

TEST_F(ShineButtonTest, DoubleClickFiresOnlyWhileDown) {
    int dbl = 0;
    QObject::connect(b, &TShineSpeedButton::OnDblClick, [&] { ++dbl; });
    b->setGroupIndex(2);
    test::SendMouse(b, QEvent::MouseButtonDblClick, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    test::Release(b, {5, 5});
    EXPECT_EQ(dbl, 0);
    EXPECT_TRUE(b->Down()); // the release latched it
    test::SendMouse(b, QEvent::MouseButtonDblClick, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(dbl, 1);
}

// ---- Groups ----

class GroupTest : public ::testing::Test {
protected:
    GroupTest() {
        for (int i = 0; i < 3; ++i) {
            btn[i] = new TShineSpeedButton(&form);
            btn[i]->setGroupIndex(1);
            btn[i]->move(30 * i, 0);
        }
        other = new TShineSpeedButton(&form);
        other->setGroupIndex(2);
    }
    QWidget form;
    TShineSpeedButton* btn[3];
    TShineSpeedButton* other;
};

TEST_F(GroupTest, OneMemberGoesDownAndTheOthersGoUp) {
    other->setDown(true);
    test::Click(btn[0], {5, 5});
    EXPECT_TRUE(btn[0]->Down());
    test::Click(btn[1], {5, 5});
    EXPECT_FALSE(btn[0]->Down());
    EXPECT_TRUE(btn[1]->Down());
    EXPECT_EQ(btn[0]->Look(), slUp);
    EXPECT_EQ(btn[1]->Look(), slLatched); // the mouse is not over it any more
    EXPECT_TRUE(other->Down());           // another group
    // Without AllowAllUp the down member cannot be released directly.
    test::Click(btn[1], {5, 5});
    EXPECT_TRUE(btn[1]->Down());
    btn[1]->setDown(false);
    EXPECT_TRUE(btn[1]->Down());
}

TEST_F(GroupTest, ReleasedMembersTakeOverAllowAllUp) {
    btn[0]->setAllowAllUp(true);
    btn[1]->setDown(true);
    btn[0]->setDown(true);
    EXPECT_FALSE(btn[1]->Down());
    EXPECT_TRUE(btn[1]->AllowAllUp());
    EXPECT_FALSE(btn[2]->AllowAllUp()); // was not down
    test::Click(btn[0], {5, 5});
    EXPECT_FALSE(btn[0]->Down()); // all up is allowed
}

TEST_F(GroupTest, ReleasingOutsideKeepsDown) {
    int clicks = 0;
    QObject::connect(btn[0], &TShineSpeedButton::OnClick, [&] { ++clicks; });
    test::Press(btn[0], {5, 5});
    test::Release(btn[0], {-3, 5});
    EXPECT_FALSE(btn[0]->Down());
    EXPECT_EQ(btn[0]->Look(), slUp);
    btn[0]->setDown(true);
    test::Press(btn[0], {5, 5});
    test::Move(btn[0], {40, 5});
    EXPECT_EQ(btn[0]->Look(), slLatched);
    test::Release(btn[0], {40, 5});
    EXPECT_TRUE(btn[0]->Down());
    EXPECT_EQ(btn[0]->Look(), slLatched);
    EXPECT_EQ(clicks, 0);
}

TEST_F(GroupTest, DisablingReleasesDownAndShowsTheDisabledLook) {
    btn[0]->setDown(true);
    btn[0]->setEnabled(false);
    EXPECT_FALSE(btn[0]->Down());
    EXPECT_EQ(btn[0]->Look(), slDisabled);
    test::Click(btn[0], {5, 5});
    EXPECT_FALSE(btn[0]->Down());
    btn[0]->setEnabled(true);
    EXPECT_EQ(btn[0]->Look(), slUp);
}

// ---- Hover ----

TEST_F(ShineButtonTest, EnteringAndLeavingSwitchTheHotLooks) {
    int enters = 0, leaves = 0;
    QObject::connect(b, &TShineSpeedButton::OnMouseEnter, [&] { ++enters; });
    QObject::connect(b, &TShineSpeedButton::OnMouseLeave, [&] { ++leaves; });
    test::Enter(b);
    EXPECT_EQ(b->Look(), slHot);
    EXPECT_TRUE(b->CheckTimerActive());
    test::Leave(b);
    EXPECT_EQ(b->Look(), slUp);
    EXPECT_FALSE(b->CheckTimerActive());
    Latch();
    test::Enter(b);
    EXPECT_EQ(b->Look(), slPressedHot);
    test::Leave(b);
    EXPECT_EQ(b->Look(), slLatched);
    b->setEnabled(false);
    test::Enter(b);
    EXPECT_EQ(b->Look(), slDisabled);
    EXPECT_EQ(enters, 3);
    EXPECT_EQ(leaves, 2);
}

TEST_F(ShineButtonTest, CheckTimerEndsTheHotLookWhenTheMouseIsGone) {
    int leaves = 0;
    QObject::connect(b, &TShineSpeedButton::OnMouseLeave, [&] { ++leaves; });
    form.show();
    test::Enter(b); // the offscreen cursor is parked far away
    ASSERT_EQ(b->Look(), slHot);
    // No leave event comes; the 200 ms check notices.
    for (int i = 0; i < 100 && b->Look() != slUp; ++i)
        QTest::qWait(50);
    EXPECT_EQ(b->Look(), slUp);
    EXPECT_FALSE(b->CheckTimerActive());
    EXPECT_EQ(leaves, 1);
}

TEST_F(ShineButtonTest, CheckTickKeepsTheHotLookWhileTheMouseStaysOver) {
    form.show();
    QCursor::setPos(b->mapToGlobal(QPoint(12, 12)));
    QCoreApplication::processEvents();
    test::Enter(b);
    b->CheckMouseTick();
    EXPECT_EQ(b->Look(), slHot);
    EXPECT_TRUE(b->CheckTimerActive());
    QCursor::setPos(5000, 5000);
    QCoreApplication::processEvents();
    b->CheckMouseTick();
    EXPECT_EQ(b->Look(), slUp);
}

// ---- Accelerator and transparency ----

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

TEST_F(ShineButtonTest, TransparentButtonPaintsNoFace) {
    b->setTransparent(true);
    b->setGlyph(OliveGlyph());
    EXPECT_FALSE(b->testAttribute(Qt::WA_OpaquePaintEvent));
    const QImage img = b->Picture();
    EXPECT_EQ(qAlpha(img.pixel(12, 2)), 0); // no face
    EXPECT_EQ(qAlpha(img.pixel(8, 8)), 0);  // olive glyph pixel
    EXPECT_EQ(img.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(PixelAt(img, 0, 0), kHigh); // the frame is still drawn
}

TEST_F(ShineButtonTest, PaintEventShowsThePicture) {
    b->setFrameType(ftEnclosedFrame);
    b->setGlyph(OliveGlyph());
    const QImage shown = b->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, b->Picture());
}

} // namespace
} // namespace cadenzo
