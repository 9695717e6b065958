#include <QApplication>
#include <QFontMetrics>
#include <gtest/gtest.h>
#include <set>

#include "controls/shadow_label.h"
#include "widget_util.h"

namespace cadenzo {
namespace {

using test::CountColor;
using test::PixelAt;

// A white label with a 20-pixel black caption.
void Plain(TShadowLabel& l, const QString& caption, bool copies = true) {
    l.resize(200, 40);
    QFont f = l.font();
    f.setPixelSize(20);
    l.setFont(f);
    l.setColor(clWhite);
    l.setFontColor(clBlack);
    l.setCaption(caption);
    l.Shadow().setVisible(copies);
    l.Highlight().setVisible(copies);
}

// Off screen the gradient is computed per row; drawn directly it is computed on a strip and
// stretched. Both must give the same rows.
class GradientTest : public ::testing::TestWithParam<bool> {};

TEST_P(GradientTest, BackgroundGradients) {
    TShadowLabel l;
    l.setFlickerless(GetParam());
    l.resize(40, 57);
    l.setGradation(true);
    l.setGradateVert(true);
    l.setGradationColor(RGB(0, 0, 255));
    l.setColor(RGB(255, 100, 0));
    l.setCaption(" ");
    QImage img = l.Picture();
    for (int x : {0, 39}) {
        EXPECT_EQ(PixelAt(img, x, 0), RGB(0, 0, 255));
        EXPECT_EQ(PixelAt(img, x, 56), RGB(255, 100, 0));
        // Row 28 of 57 is the exact middle: the steps +127.5 and -127.5 round away from zero.
        EXPECT_EQ(PixelAt(img, x, 28), RGB(128, 50, 127));
        // Row 1: 255 / 56 = 4.55 -> 5, 100 / 56 = 1.79 -> 2, 255 - 4.55 -> 250.
        EXPECT_EQ(PixelAt(img, x, 1), RGB(5, 2, 250));
    }

    l.resize(101, 45);
    l.setGradateVert(false);
    l.setGradationColor(clBlack);
    l.setColor(RGB(200, 0, 100));
    img = l.Picture();
    for (int y : {0, 22, 44}) {
        EXPECT_EQ(PixelAt(img, 0, y), clBlack);
        EXPECT_EQ(PixelAt(img, 50, y), RGB(100, 0, 50));
        EXPECT_EQ(PixelAt(img, 100, y), RGB(200, 0, 100));
    }

    l.resize(30, 1); // a single row takes the gradation colour
    l.setGradateVert(true);
    l.setGradationColor(clTeal);
    l.setColor(clRed);
    l.Shadow().setVisible(false);
    l.Highlight().setVisible(false);
    EXPECT_EQ(PixelAt(l.Picture(), 15, 0), clTeal);
}

INSTANTIATE_TEST_SUITE_P(Drawing, GradientTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "offscreen" : "direct"; });

TEST(ShadowLabel, DisabledLabelUsesButtonShadowTextAndGrayShadow) {
    TShadowLabel l;
    Plain(l, "Hello");
    l.setFontColor(clRed);
    l.Shadow().setColor(clLime);
    l.Highlight().setColor(clBlue);
    l.setTextGradation(tg2Colors);
    const QImage on = l.Picture();
    EXPECT_GT(CountColor(on, clLime), 0);
    EXPECT_GT(CountColor(on, clRed), 0);
    l.setEnabled(false);
    const QImage off = l.Picture();
    const TColor text = ResolveColor(clBtnShadow, l.palette());
    const TColor light = ResolveColor(clBtnHighlight, l.palette());
    ASSERT_NE(text, clGray) << "the palette must tell text from shadow";
    EXPECT_GT(CountColor(off, text), 20);
    EXPECT_GT(CountColor(off, clGray), 0);
    // No own colours and no gradation while disabled.
    for (TColor c : {clRed, clLime, clBlue, clMaroon})
        EXPECT_EQ(CountColor(off, c), 0) << c;
    // The highlight copy is the button highlight; on white it may be invisible.
    l.setColor(clBlack);
    if (light != clBlack) {
        EXPECT_GT(CountColor(l.Picture(), light), 0);
    }
}

TEST(ShadowLabel, ShadowCopyMovesByItsOffsets) {
    TShadowLabel l;
    Plain(l, "Hi", false);
    const QImage plain = l.Picture();
    l.Shadow().setVisible(true);
    l.Shadow().setColor(clRed);
    l.Shadow().setOffsetLeft(3);
    l.Shadow().setOffsetTop(2);
    const QImage img = l.Picture();
    int shadowPixels = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (PixelAt(img, x, y) == clRed) {
                ++shadowPixels;
                EXPECT_EQ(PixelAt(plain, x - 3, y - 2), clBlack) << x << "," << y;
            }
    EXPECT_GT(shadowPixels, 10);
    EXPECT_EQ(CountColor(img, clBlack), CountColor(plain, clBlack)); // text drawn over it
}

TEST(ShadowLabel, TextGradationColoursWholeCharacters) {
    const TColor mid = clBlue, last = RGB(200, 100, 50);
    struct {
        const char* caption;
        TTextGradation mode;
        std::vector<TColor> perCharacter;
    } cases[] = {
        // The middle of five characters takes the halfway colour.
        {"HHHHH", tg2Colors, {clBlack, RGB(50, 25, 13), RGB(100, 50, 25), RGB(150, 75, 38), last}},
        // "HH" | "HH": black, blue | blue, last.
        {"HHHH", tg3Colors, {clBlack, mid, mid, last}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        TShadowLabel l;
        Plain(l, c.caption, false);
        l.setTextGradation(c.mode);
        l.setTextMidColor(mid);
        l.setTextGradationColor(last);
        const QImage img = l.Picture();
        QFont f = l.font();
        f.setStyleStrategy(QFont::NoAntialias);
        const int adv = QFontMetrics(f).horizontalAdvance(QLatin1Char('H'));
        for (std::size_t i = 0; i < c.perCharacter.size(); ++i) {
            std::set<TColor> ink;
            for (int y = 0; y < img.height(); ++y)
                for (int x = int(i) * adv; x < int(i + 1) * adv; ++x)
                    if (PixelAt(img, x, y) != clWhite)
                        ink.insert(PixelAt(img, x, y));
            EXPECT_EQ(ink, std::set<TColor>{c.perCharacter[i]}) << "character " << i;
        }
    }
}

TEST(ShadowLabel, LayoutMovesTheTextDown) {
    TShadowLabel l;
    Plain(l, "Hg");
    l.resize(100, 60);
    const auto firstInkRow = [&](TTextLayout layout) {
        l.setLayout(layout);
        const QImage img = l.Picture();
        for (int y = 0; y < img.height(); ++y)
            if (CountColor(img, clBlack, QRect(0, y, img.width(), 1)) > 0)
                return y;
        return -1;
    };
    const int top = firstInkRow(tlTop);
    QFont f = l.font();
    f.setStyleStrategy(QFont::NoAntialias);
    const int h = QFontMetrics(f).height();
    EXPECT_EQ(firstInkRow(tlBottom), top + 60 - h);
    EXPECT_EQ(firstInkRow(tlCenter), top + (60 - h) / 2);
}

TEST(ShadowLabel, TransparentLabelShowsItsParentEvenWhenFlickerless) {
    QWidget parent;
    parent.resize(100, 50);
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(0, 128, 128));
    parent.setPalette(pal);
    parent.setAutoFillBackground(true);
    auto* l = new TShadowLabel(&parent);
    l->setGeometry(10, 10, 80, 30);
    l->setColor(clRed);
    l->setCaption("x");
    l->setTransparent(true);
    ASSERT_TRUE(l->Flickerless());
    EXPECT_FALSE(l->testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_EQ(qAlpha(l->Picture().pixel(70, 20)), 0);
    const QImage shown = parent.grab().toImage();
    EXPECT_EQ(PixelAt(shown, 80, 30), clTeal);
    EXPECT_EQ(CountColor(shown, clRed), 0);
    l->setTransparent(false);
    EXPECT_EQ(PixelAt(parent.grab().toImage(), 80, 30), clRed);
}

TEST(ShadowLabel, AutoSizeFitsTheLabelToItsCaption) {
    TShadowLabel l;
    l.resize(300, 90);
    l.setCaption("Wide caption");
    l.setAutoSize(true);
    QFont f = l.font();
    f.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics fm(f);
    EXPECT_NEAR(l.width(), fm.horizontalAdvance("Wide caption"), 1);
    EXPECT_EQ(l.height(), fm.height());
    const int narrow = l.width();
    l.setCaption("");
    EXPECT_LT(l.width(), narrow); // one blank
    EXPECT_EQ(l.height(), fm.height());
}

} // namespace
} // namespace cadenzo
