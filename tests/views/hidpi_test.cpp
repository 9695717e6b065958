// Runs at the device pixel ratio it was built for (QT_SCALE_FACTOR, set before Qt starts).
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

// Random drawing at ratio 1 and r: each device pixel at r has its logical pixel's colour at 1
// (found by walking the device spans), and the not-xor band drawn twice leaves no trace.
TEST(HighDpi, EveryDevicePixelTakesItsLogicalPixelsColour) {
    std::mt19937 rng(17);
    const auto any = [&](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
    for (const qreal r : {1.25, 1.5, 2.0, 3.0}) {
        const auto logical = [r](int d, int n) {
            int c = 0;
            while (c + 1 < n && std::floor((c + 1) * r) <= d)
                ++c;
            return c;
        };
        QImage at[2] = {makePicture({37, 23}, 1), makePicture({37, 23}, r)};
        at[0].fill(0xFF808080), at[1].fill(0xFF808080);
        for (int step = 0; step < 400; ++step) {
            const int op = any(0, 5), x0 = any(-3, 40), y0 = any(-3, 26), x1 = any(-3, 40);
            const int y1 = any(-3, 26), w = any(0, 37), h = any(0, 23);
            const QRgb colour = 0xFF000000 | static_cast<QRgb>(any(0, 0xFFFFFF));
            for (int i = 0; i < 2; ++i) {
                QImage& img = at[i];
                const QImage before = img.copy();
                op == 0   ? drawLineTo(img, x0, y0, x1, y1, colour)
                : op == 1 ? fillBox(img, x0, y0, x1, y1, colour)
                : op == 2 ? invertBox(img, x0, y0, x1, y1)
                : op == 3 ? drawFrame(img, x0, y0, x1, y1, colour)
                : op == 4 ? copyBox(img, {x0, y0}, before, {x1, y1}, {w, h})
                          : notXorLineTo(img, x0, y0, x1, y1, colour);
                if (op == 5) {
                    notXorLineTo(img, x0, y0, x1, y1, colour);
                    ASSERT_EQ(img, before) << r << " step " << step;
                    notXorLineTo(img, x0, y0, x1, y1, colour);
                }
            }
            ASSERT_EQ(at[1].size(), QSize(std::ceil(37 * r), std::ceil(23 * r)));
            for (int y = 0; y < at[1].height(); ++y)
                for (int x = 0; x < at[1].width(); ++x)
                    ASSERT_EQ(at[1].pixel(x, y), at[0].pixel(logical(x, 37), logical(y, 23)))
                        << r << " step " << step << " op " << op << " at " << x << "," << y;
        }
    }
}

// The sequence view on this screen: device-sized, no blended pixel, string lines whole device
// rows thick; at 2 the letters have edges finer than a logical pixel.
TEST(HighDpi, SequenceViewLinesAreWholeDevicePixelsAndTextIsAtDeviceResolution) {
    test::App();
    Song song;
    UndoHistory history;
    EventFields fields;
    SeqMouse mouse;
    SequenceView view(song, history, fields, mouse);
    view.resize(400, SEQ_HEIGHT), view.show(), view.redrawAll();
    const qreal r = CADENZO_TEST_RATIO;
    ASSERT_EQ(view.devicePixelRatioF(), r);
    const QImage screen = view.screenImage();
    ASSERT_EQ(screen.size(), QSize(std::ceil(400 * r), std::ceil(SEQ_HEIGHT * r)));
    const std::set<QRgb> colours = {0xFFFFFFFF, 0xFF000000, 0xFFDDDDDD,
                                    0xFF008800, 0xFF00FF00, 0xFFFF0000};
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            ASSERT_TRUE(colours.count(screen.pixel(x, y))) << x << "," << y;
    for (int s = 0, rows = 0; s < 6; ++s, rows = 0) { // string line s on screen row 36 + 8 s
        for (int y = int((35 + 8 * s) * r); y < int((38 + 8 * s) * r); ++y)
            rows += screen.pixel(int(300 * r), y) == 0xFF000000;
        EXPECT_TRUE(rows == std::floor(r) || rows == std::ceil(r)) << s << ": " << rows;
    }
    bool oddEdge = false; // upscaled text would have edges on even columns only
    for (int y = 70; y < 110 && r == 2.0; ++y)
        for (int x = 19; x < 50; x += 2)
            oddEdge |= (screen.pixel(x, y) == 0xFF000000) != (screen.pixel(x - 1, y) == 0xFF000000);
    EXPECT_TRUE(oddEdge || r != 2.0);
}

} // namespace
} // namespace cadenzo
