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

TEST_F(ShineButtonTest, FramesDrawTheExactLines) {
    struct Pixel {
        TFrameType type;
        bool latched;
        int x, y;
        TColor color;
    };
    // clang-format off
    const Pixel pixels[] = {
        // The end point of each line is not drawn: (24, 0) and (0, 24) keep the face.
        {ftFlatFrame, false, 24, 0, kFace}, {ftFlatFrame, false, 0, 24, kFace},
        {ftFlatFrame, false, 0, 0, kHigh}, {ftFlatFrame, false, 23, 0, kHigh},
        {ftFlatFrame, false, 0, 23, kHigh}, {ftFlatFrame, false, 24, 24, kShad},
        {ftFlatFrame, false, 1, 24, kShad}, {ftFlatFrame, false, 24, 1, kShad},
        {ftFlatFrame, true, 24, 0, kPFace}, {ftFlatFrame, true, 0, 24, kPFace},
        {ftFlatFrame, true, 0, 0, kPShad}, {ftFlatFrame, true, 24, 24, kPHigh},
        {ftNormalFrame, false, 0, 0, kHigh}, {ftNormalFrame, false, 23, 0, kHigh},
        {ftNormalFrame, false, 24, 0, kFace}, {ftNormalFrame, false, 24, 24, kDark},
        {ftNormalFrame, false, 24, 1, kDark}, {ftNormalFrame, false, 23, 23, kShad},
        {ftNormalFrame, false, 1, 23, kShad}, {ftNormalFrame, false, 22, 22, kFace},
        {ftNormalFrame, true, 0, 0, kPDark}, {ftNormalFrame, true, 1, 1, kPShad},
        {ftNormalFrame, true, 23, 1, kPShad}, {ftNormalFrame, true, 24, 1, kPHigh},
        {ftNormalFrame, true, 24, 24, kPHigh}, {ftNormalFrame, true, 24, 0, kPFace},
        {ftNormalFrame, true, 2, 2, kPFace},
        // The enclosed outline always takes the DarkShadow of Colors.
        {ftEnclosedFrame, false, 0, 0, kDark}, {ftEnclosedFrame, false, 24, 0, kDark},
        {ftEnclosedFrame, false, 0, 24, kDark}, {ftEnclosedFrame, false, 24, 24, kDark},
        {ftEnclosedFrame, false, 1, 1, kHigh}, {ftEnclosedFrame, false, 22, 1, kHigh},
        {ftEnclosedFrame, false, 23, 1, kFace}, {ftEnclosedFrame, false, 23, 23, kShad},
        {ftEnclosedFrame, false, 2, 23, kShad}, {ftEnclosedFrame, false, 1, 23, kFace},
        {ftEnclosedFrame, true, 0, 0, kDark}, {ftEnclosedFrame, true, 24, 24, kDark},
        {ftEnclosedFrame, true, 1, 1, kPShad}, {ftEnclosedFrame, true, 23, 23, kPHigh},
    };
    // clang-format on
    for (const Pixel& p : pixels) {
        NewButton();
        b->setFrameType(p.type);
        if (p.latched)
            Latch();
        EXPECT_EQ(PixelAt(b->Picture(), p.x, p.y), p.color)
            << "frame " << int(p.type) << (p.latched ? " latched" : "") << " at " << p.x << ","
            << p.y;
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

using PixelSet = QSet<std::pair<int, int>>;
PixelSet Pixels(const QImage& img, TColor c) {
    PixelSet s;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (PixelAt(img, x, y) == c)
                s.insert({x, y});
    return s;
}
bool AllShifted(const PixelSet& copy, const PixelSet& text, int d) {
    for (auto [x, y] : copy)
        if (!text.contains({x - d, y - d}))
            return false;
    return !copy.isEmpty();
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
    const PixelSet text = Pixels(b->Picture(), clBlue);
    ASSERT_GT(text.size(), 20);
    b->setFontShadow(clLime);
    b->setFontHighlight(clRed);
    QImage img = b->Picture();
    EXPECT_TRUE(AllShifted(Pixels(img, clLime), text, 1));
    EXPECT_TRUE(AllShifted(Pixels(img, clRed), text, -1));
    EXPECT_EQ(Pixels(img, clBlue), text); // the caption itself is drawn last

    b->setActiveFontColor(clFuchsia); // hot: the active font, in place
    test::Enter(b);
    EXPECT_EQ(Pixels(b->Picture(), clFuchsia), text);
    test::Press(b, {5, 5}); // pressed: one pixel down-right
    const PixelSet pressed = Pixels(b->Picture(), clFuchsia);
    EXPECT_EQ(pressed.size(), text.size());
    EXPECT_TRUE(AllShifted(pressed, text, 1));
    test::Release(b, {5, 5});

    b->setDisabledHighlight(clYellow);
    b->setDisabledShadow(clMaroon);
    b->setEnabled(false);
    img = b->Picture();
    EXPECT_EQ(Pixels(img, clMaroon), text);
    EXPECT_TRUE(AllShifted(Pixels(img, clYellow), text, 1));
    EXPECT_EQ(CountColor(img, clBlue) + CountColor(img, clLime), 0);
}

TEST_F(ShineButtonTest, ReleaseOutsideFiresNoClickAndLeavesThePlainButtonUp) {
    int clicks = 0;
    QObject::connect(b, &TShineSpeedButton::OnClick, [&] { ++clicks; });
    b->setDown(true); // ignored on a group index 0 button
    EXPECT_FALSE(b->Down());
    test::Press(b, {10, 10});
    EXPECT_EQ(b->Look(), slPressedHot);
    test::Move(b, {30, 30});
    EXPECT_EQ(b->Look(), slUp);
    test::Release(b, {30, 30});
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(b->Look(), slUp);
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(b->Dragging());
    // Moves count the edge as outside, the release counts it inside.
    test::Press(b, {10, 10});
    test::Move(b, {0, 10});
    EXPECT_EQ(b->Look(), slUp);
    test::Move(b, {1, 1});
    EXPECT_EQ(b->Look(), slPressedHot);
    test::Move(b, {24, 25});
    EXPECT_EQ(b->Look(), slUp);
    test::Release(b, {0, 0});
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(b->Look(), slUp);
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
    test::Release(b, {5, 5});
    EXPECT_EQ(dbl, 0);
    EXPECT_TRUE(b->Down()); // the release latched it
    test::SendMouse(b, QEvent::MouseButtonDblClick, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(dbl, 1);
}

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

TEST_F(GroupTest, OneMemberGoesDownAndAllowAllUpPassesOn) {
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

    btn[0]->setEnabled(false);
    EXPECT_FALSE(btn[0]->Down());
    EXPECT_EQ(btn[0]->Look(), slDisabled);
    test::Click(btn[0], {5, 5});
    EXPECT_FALSE(btn[0]->Down());
    btn[0]->setEnabled(true);
    EXPECT_EQ(btn[0]->Look(), slUp);
}

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
