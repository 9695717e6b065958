#include <QApplication>
#include <QFocusEvent>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>
#include <tuple>

#include "controls/color_grid.h"
#include "widget_util.h"

namespace cadenzo {
namespace {

using test::CountColor;
using test::PixelAt;

QRect Cell(const TColorGrid& g, int i) {
    const int cols = g.Columns();
    return {i % cols * g.CellWidth(), i / cols * g.CellHeight(), g.CellWidth(), g.CellHeight()};
}

// Pixels inside a cell's frame in the contrast colour of that cell: the mark's ink.
int MarkInk(const QImage& img, const TColorGrid& g, int i) {
    return CountColor(img, ContrastColor(colorTable[std::size_t(i)]),
                      Cell(g, i).adjusted(4, 4, -4, -4));
}

void SendFocus(QWidget* w, QEvent::Type type) {
    QFocusEvent e(type, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(w, &e);
}

TEST(ColorGrid, SizeIsCutToWholeCells) {
    TColorGrid g;
    g.show();
    const auto sized = [&](int w, int h) {
        g.resize(w, h);
        return std::tuple(g.width(), g.height(), g.CellWidth(), g.CellHeight());
    };
    EXPECT_EQ(sized(104, 112), std::tuple(104, 112, 26, 28));
    EXPECT_EQ(sized(103, 110), std::tuple(100, 108, 25, 27));
    g.setGridOrdering(go16x1); // a new ordering cuts again
    EXPECT_EQ(sized(100, 108), std::tuple(96, 108, 6, 108));
}

TEST(ColorGrid, CellsShowTheTableColoursInBothStyles) {
    for (bool ctl3d : {true, false}) {
        TColorGrid g;
        g.setCtl3D(ctl3d);
        g.setForegroundEnabled(false);
        g.setBackgroundEnabled(false);
        g.setGridOrdering(go8x2);
        g.resize(160, 40);
        const QImage img = g.Picture();
        for (int i = 0; i < 16; ++i) {
            const QRect r = Cell(g, i);
            SCOPED_TRACE(::testing::Message() << "cell " << i << (ctl3d ? " 3D" : " plain"));
            EXPECT_EQ(r, QRect(i % 8 * 20, i / 8 * 20, 20, 20));
            EXPECT_EQ(PixelAt(img, r.center().x(), r.center().y()), colorTable[std::size_t(i)]);
            EXPECT_EQ(PixelAt(img, r.left() + 4, r.top() + 4), colorTable[std::size_t(i)]);
        }
    }
}

TEST(ColorGrid, ThreeDimensionalCellFrameAndFocusSelector) {
    TColorGrid g;
    g.setForegroundEnabled(false);
    g.setBackgroundEnabled(false);
    g.setSelection(5);
    const QImage img = g.Picture();
    const QPalette& pal = g.palette();
    // Cell 5 at (25, 25), 25 x 25: outline, then two rings, then the colour.
    for (auto [x, y, role] : {std::tuple{25, 25, clBtnFace},
                              {49, 49, clBtnFace},
                              {26, 26, clBtnShadow},
                              {27, 30, clBtnShadow},
                              {48, 48, clBtnHighlight},
                              {47, 30, clBtnHighlight}})
        EXPECT_EQ(PixelAt(img, x, y), ResolveColor(role, pal)) << x << "," << y;
    EXPECT_EQ(PixelAt(img, 28, 28), colorTable[5]);
    // Focus changes pixels inside the selection cell only.
    SendFocus(&g, QEvent::FocusIn);
    const QImage focused = g.Picture();
    int changed = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            if (focused.pixel(x, y) != img.pixel(x, y)) {
                ++changed;
                EXPECT_TRUE(Cell(g, 5).adjusted(4, 4, -4, -4).contains(x, y)) << x << "," << y;
            }
    EXPECT_GT(changed, 10);
    SendFocus(&g, QEvent::FocusOut);
    EXPECT_EQ(g.Picture(), img);
}

TEST(ColorGrid, PlainCellsHaveABlackOutlineAndTheSelectorInverts) {
    TColorGrid g;
    g.setCtl3D(false);
    g.setForegroundEnabled(false);
    g.setBackgroundEnabled(false);
    g.setSelection(5);
    QImage img = g.Picture();
    EXPECT_EQ(PixelAt(img, 25, 25), clBlack);
    EXPECT_EQ(PixelAt(img, 27, 27), colorTable[5]);
    SendFocus(&g, QEvent::FocusIn);
    img = g.Picture();
    EXPECT_EQ(PixelAt(img, 25, 25), clWhite); // inverted outline
    EXPECT_EQ(PixelAt(img, 49, 30), clWhite);
    EXPECT_EQ(PixelAt(img, 27, 27), clBlack); // rectangle 2 pixels inside
    EXPECT_EQ(PixelAt(img, 47, 40), clBlack);
    EXPECT_EQ(PixelAt(img, 28, 28), colorTable[5]);
}

TEST(ColorGrid, SameForegroundAndBackgroundShowFBOnce) {
    TColorGrid g;
    g.resize(200, 200);
    QFont f = g.font();
    f.setPixelSize(16);
    g.setFont(f);
    g.setForegroundIndex(5);
    g.setBackgroundIndex(5);
    const QImage img = g.Picture();
    // The expected cell: no marks, then "FB" centred once in the contrast colour.
    g.setForegroundEnabled(false);
    g.setBackgroundEnabled(false);
    QImage expected = g.Picture();
    {
        QPainter p(&expected);
        f.setStyleStrategy(QFont::NoAntialias);
        p.setFont(f);
        p.setPen(QColor::fromRgb(ToQRgb(ContrastColor(colorTable[5]))));
        p.drawText(Cell(g, 5), Qt::AlignCenter, QStringLiteral("FB"));
    }
    EXPECT_EQ(img, expected);
    EXPECT_GT(MarkInk(img, g, 5), 10);
}

TEST(ColorGrid, MarksFollowTheIndicesAndTheirSides) {
    TColorGrid g;
    int changes = 0;
    QObject::connect(&g, &TColorGrid::OnChange, [&] { ++changes; });
    g.setForegroundIndex(3);
    g.setBackgroundIndex(12);
    QImage img = g.Picture();
    const int fg = MarkInk(img, g, 3);
    EXPECT_GT(fg, 0);
    EXPECT_GT(MarkInk(img, g, 12), 0);
    g.setBackgroundEnabled(false);
    img = g.Picture();
    EXPECT_EQ(MarkInk(img, g, 3), fg);
    EXPECT_EQ(MarkInk(img, g, 12), 0);
    // The setter of a disabled side changes nothing.
    changes = 0;
    g.setBackgroundIndex(3);
    EXPECT_EQ(g.BackgroundIndex(), 12);
    EXPECT_EQ(changes, 0);
    // A disabled side keeps its same cell from turning the mark into "FB".
    g.setBackgroundEnabled(true);
    g.setBackgroundIndex(3);
    g.setBackgroundEnabled(false);
    TColorGrid h;
    h.setForegroundIndex(3);
    h.setBackgroundEnabled(false);
    EXPECT_EQ(g.Picture(), h.Picture());
}

TEST(ColorGrid, ForegroundIndexSixteenShowsNoMark) {
    TColorGrid g;
    g.setBackgroundEnabled(false);
    int changes = 0;
    QObject::connect(&g, &TColorGrid::OnChange, [&] { ++changes; });
    g.setForegroundIndex(7);
    EXPECT_GT(MarkInk(g.Picture(), g, 7), 0);
    g.setForegroundIndex(16);
    EXPECT_EQ(g.ForegroundIndex(), 16);
    const QImage img = g.Picture();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(MarkInk(img, g, i), 0) << "cell " << i;
    g.setForegroundIndex(16);
    EXPECT_EQ(changes, 2); // the same value fires nothing
}

TEST(ColorGrid, MouseButtonsPickAndDragTheirSides) {
    TColorGrid g;
    int changes = 0, clicks = 0;
    QObject::connect(&g, &TColorGrid::OnChange, [&] { ++changes; });
    QObject::connect(&g, &TColorGrid::OnClick, [&] { ++clicks; });
    test::Press(&g, {60, 30}); // cell 6
    EXPECT_EQ(g.ForegroundIndex(), 6);
    EXPECT_EQ(g.Selection(), 6);
    test::Move(&g, {80, 30}); // cell 7
    EXPECT_EQ(g.ForegroundIndex(), 7);
    test::Move(&g, {-20, 300}); // clamped: cell 12
    EXPECT_EQ(g.ForegroundIndex(), 12);
    EXPECT_EQ(g.Selection(), 12);
    EXPECT_EQ(g.BackgroundIndex(), 0);
    test::Release(&g, {-20, 300});
    EXPECT_EQ(clicks, 0); // left released outside: no click
    test::Click(&g, {10, 10});
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(changes, 4);
    test::Move(&g, {80, 80}, Qt::NoButton); // no drag any more
    EXPECT_EQ(g.ForegroundIndex(), 0);

    test::Press(&g, {90, 90}, Qt::RightButton);
    EXPECT_EQ(g.BackgroundIndex(), 15);
    EXPECT_EQ(g.ForegroundIndex(), 0);
    test::Move(&g, {90, 10}, Qt::RightButton);
    EXPECT_EQ(g.BackgroundIndex(), 3);
    test::Release(&g, {500, 10}, Qt::RightButton);
    EXPECT_EQ(clicks, 2); // right clicks even outside
}

TEST(ColorGrid, DisabledBackgroundIgnoresRightClicksUnlessClickEnablesColor) {
    TColorGrid g;
    g.setBackgroundEnabled(false);
    g.setSelection(2);
    int changes = 0;
    QObject::connect(&g, &TColorGrid::OnChange, [&] { ++changes; });
    const QImage before = g.Picture();
    test::Click(&g, {60, 60}, Qt::RightButton);
    EXPECT_EQ(g.BackgroundIndex(), 0);
    EXPECT_FALSE(g.BackgroundEnabled());
    EXPECT_EQ(g.Selection(), 2);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(g.Picture(), before);
    EXPECT_GT(MarkInk(before, g, 0), 0); // "FG" only

    g.setClickEnablesColor(true);
    test::Click(&g, {60, 60}, Qt::RightButton); // cell 10
    EXPECT_TRUE(g.BackgroundEnabled());
    EXPECT_EQ(g.BackgroundIndex(), 10);
    EXPECT_EQ(changes, 1);
    // Cell 0 was both sides before: the index was reset, so picking 0 is still a change.
    g.setForegroundEnabled(false);
    test::Click(&g, {5, 5});
    EXPECT_TRUE(g.ForegroundEnabled());
    EXPECT_EQ(g.ForegroundIndex(), 0);
    EXPECT_EQ(changes, 2);
}

TEST(ColorGrid, KeysMoveTheSelectionAndPickSides) {
    TColorGrid g;
    const auto key = [&](int k) { return QTest::keyClick(&g, Qt::Key(k)), g.Selection(); };
    g.setSelection(16); // no colour: moves still land in the grid
    EXPECT_EQ(key(Qt::Key_Left), 15);
    int clicks = 0;
    QObject::connect(&g, &TColorGrid::OnClick, [&] { ++clicks; });
    EXPECT_EQ(key(Qt::Key_Right), 0); // wraps around
    EXPECT_EQ(key(Qt::Key_Up), 15);
    EXPECT_EQ(key(Qt::Key_Space), 0);
    key(Qt::Key_Down);
    EXPECT_EQ(key(Qt::Key_Down), 8);
    EXPECT_EQ(key(Qt::Key_Right), 9);
    QTest::keyClick(&g, 'f');
    EXPECT_EQ(g.ForegroundIndex(), 9);
    EXPECT_EQ(key(Qt::Key_End), 15);
    QTest::keyClick(&g, 'B');
    EXPECT_EQ(g.BackgroundIndex(), 15);
    EXPECT_EQ(clicks, 2);
    g.setBackgroundEnabled(false);
    EXPECT_EQ(key(Qt::Key_Home), 0);
    QTest::keyClick(&g, 'b');
    EXPECT_EQ(g.BackgroundIndex(), 15);
    EXPECT_EQ(clicks, 3); // the click fires even when nothing changed
    g.setClickEnablesColor(true);
    QTest::keyClick(&g, 'b');
    EXPECT_TRUE(g.BackgroundEnabled());
    EXPECT_EQ(g.BackgroundIndex(), 0);
}

TEST(ColorGrid, FAndBOnlyAsTypedLettersAndHandledKeysAreConsumed) {
    TColorGrid g;
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(&g, &right);
    EXPECT_TRUE(right.isAccepted());
    QKeyEvent other(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QCoreApplication::sendEvent(&g, &other);
    EXPECT_FALSE(other.isAccepted());
    g.setSelection(7);
    QKeyEvent ctrlF(QEvent::KeyPress, Qt::Key_F, Qt::ControlModifier, QString(QChar(6)));
    QCoreApplication::sendEvent(&g, &ctrlF);
    EXPECT_FALSE(ctrlF.isAccepted());
    EXPECT_EQ(g.ForegroundIndex(), 0);
}

} // namespace
} // namespace cadenzo
