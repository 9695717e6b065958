// Drawing on a high-DPI screen: the test program runs at the device pixel ratio it was built for
// (QT_SCALE_FACTOR, set before the application starts).
#include "controls/pixel_draw.h"
#include "support/test_app.h"
#include "views/sequence_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>

namespace cadenzo {
namespace {

const bool kScaled = qputenv("QT_SCALE_FACTOR", QByteArray::number(CADENZO_TEST_RATIO));

// The logical pixel of device index d: the last c whose device span floor(c r) starts at or
// before d, found by walking rather than by the drawing code's arithmetic.
int logicalOf(int d, qreal r, int logicalLength) {
    int c = 0;
    while (c + 1 < logicalLength && std::floor((c + 1) * r) <= d)
        ++c;
    return c;
}

// The same random drawing at ratio 1 and at ratio r: every device pixel at r has the colour of
// its logical pixel at 1, so lines are whole device pixels, nothing is blended, and the not-xor
// band drawn twice leaves no trace.
TEST(HighDpiPictures, EveryDevicePixelTakesItsLogicalPixelsColour) {
    std::mt19937 rng(17);
    const auto any = [&](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
    for (const qreal r : {1.25, 1.5, 2.0, 3.0}) {
        QImage at[2] = {makePicture({37, 23}, 1.0), makePicture({37, 23}, r)};
        QImage pattern[2] = {makePicture({20, 15}, 1.0), makePicture({20, 15}, r)};
        for (QImage* pair : {at, pattern})
            for (int i = 0; i < 2; ++i)
                pair[i].fill(0xFF808080);
        for (int step = 0; step < 400; ++step) {
            const int op = any(0, 6), x0 = any(-3, 40), y0 = any(-3, 26);
            const int x1 = any(-3, 40), y1 = any(-3, 26), fx = any(-3, 22), fy = any(-3, 17);
            const QSize size(any(0, 20), any(0, 15));
            const QRgb colour = 0xFF000000 | static_cast<QRgb>(any(0, 0xFFFFFF));
            for (int i = 0; i < 2; ++i) {
                QImage& img = at[i];
                const QImage before = img.copy();
                switch (op) {
                case 0:
                    drawLineTo(img, x0, y0, x1, y1, colour);
                    break;
                case 1:
                    fillBox(img, x0, y0, x1, y1, colour);
                    break;
                case 2:
                    invertBox(img, x0, y0, x1, y1);
                    break;
                case 3:
                    drawFrame(img, x0, y0, x1, y1, colour);
                    break;
                case 4:
                    copyBox(img, {x0, y0}, pattern[i], {fx, fy}, size);
                    break;
                case 5:
                    drawLineTo(pattern[i], x0 % 20, y0 % 15, x1 % 20, y1 % 15, colour);
                    break;
                default:
                    notXorLineTo(img, x0, y0, x1, y1, colour);
                    notXorLineTo(img, x0, y0, x1, y1, colour);
                    ASSERT_EQ(img, before) << "ratio " << r << " step " << step;
                    notXorLineTo(img, x0, y0, x1, y1, colour);
                }
            }
            const QImage& big = at[1];
            ASSERT_EQ(big.size(), QSize(std::ceil(37 * r), std::ceil(23 * r)));
            for (int y = 0; y < big.height(); ++y)
                for (int x = 0; x < big.width(); ++x)
                    ASSERT_EQ(big.pixel(x, y),
                              at[0].pixel(logicalOf(x, r, 37), logicalOf(y, r, 23)))
                        << "ratio " << r << " step " << step << " op " << op << " at " << x << ","
                        << y;
        }
    }
}

// The sequence view on this screen: its picture is device-sized, a string line is whole device
// rows thick, no pixel is a blend, and the letters' edges are finer than a logical pixel.
TEST(HighDpiSequenceView, LinesAreWholeDevicePixelsAndTextIsAtDeviceResolution) {
    test::App();
    Song song;
    UndoHistory history;
    EventFields fields;
    SeqMouse mouse;
    SequenceView view(song, history, fields, mouse);
    view.resize(400, SEQ_HEIGHT);
    view.show();
    const qreal r = CADENZO_TEST_RATIO;
    ASSERT_EQ(view.devicePixelRatioF(), r);
    view.redrawAll();
    const QImage screen = view.screenImage();
    ASSERT_EQ(screen.size(), QSize(std::ceil(400 * r), std::ceil(SEQ_HEIGHT * r)));
    const std::set<QRgb> palette = {0xFFFFFFFF, 0xFF000000, 0xFFDDDDDD,
                                    0xFF008800, 0xFF00FF00, 0xFFFF0000};
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            ASSERT_TRUE(palette.count(screen.pixel(x, y))) << x << "," << y;
    const int column = static_cast<int>(300 * r);
    for (int s = 0; s < 6; ++s) { // string line s on screen row 36 + 8 s
        int top = static_cast<int>((36 + 8 * s - 1) * r), rows = 0;
        for (int y = top; y < top + static_cast<int>(3 * r); ++y)
            rows += screen.pixel(column, y) == 0xFF000000;
        EXPECT_TRUE(rows == std::floor(r) || rows == std::ceil(r)) << s << ": " << rows;
    }
    if (r != 2.0)
        return;
    // The "T" of the tablature letters: upscaled text would only have edges on even columns.
    bool oddEdge = false;
    for (int y = 70; y < 110; ++y)
        for (int x = 18; x < 50; ++x)
            oddEdge |= x % 2 == 1 &&
                       (screen.pixel(x, y) == 0xFF000000) != (screen.pixel(x - 1, y) == 0xFF000000);
    EXPECT_TRUE(oddEdge);
}

} // namespace
} // namespace cadenzo
