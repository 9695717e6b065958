#include "controls/pixel_draw.h"

#include <algorithm>
#include <cstdlib>

namespace cadenzo {

namespace {

// Bresenham's walk from (x0, y0) to (x1, y1), the end point left out.
template <class Plot> void walkLine(int x0, int y0, int x1, int y1, Plot plot) {
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0;
    while (x != x1 || y != y1) {
        plot(x, y);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// Runs op on every pixel of the clipped box, row by row.
template <class Op> void forBox(QImage& image, int left, int top, int right, int bottom, Op op) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, image.width());
    bottom = std::min(bottom, image.height());
    for (int y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = left; x < right; ++x)
            row[x] = op(row[x]);
    }
}

} // namespace

void drawLineTo(QImage& image, int x0, int y0, int x1, int y1, QColor colour) {
    const QRgb rgb = colour.rgb();
    walkLine(x0, y0, x1, y1, [&](int x, int y) {
        if (image.valid(x, y))
            image.setPixel(x, y, rgb);
    });
}

void notXorLineTo(QImage& image, int x0, int y0, int x1, int y1, QColor pen) {
    const QRgb bits = pen.rgb() & 0xFFFFFF;
    walkLine(x0, y0, x1, y1, [&](int x, int y) {
        if (image.valid(x, y))
            image.setPixel(x, y, 0xFF000000 | (~(image.pixel(x, y) ^ bits) & 0xFFFFFF));
    });
}

void fillBox(QImage& image, int left, int top, int right, int bottom, QRgb colour) {
    forBox(image, left, top, right, bottom, [colour](QRgb) { return colour; });
}

void invertBox(QImage& image, int left, int top, int right, int bottom) {
    forBox(image, left, top, right, bottom, [](QRgb pixel) { return pixel ^ 0x00FFFFFF; });
}

void drawFrame(QImage& image, int x1, int y1, int x2, int y2, QRgb colour) {
    const int left = std::min(x1, x2), right = std::max(x1, x2);
    const int top = std::min(y1, y2), bottom = std::max(y1, y2);
    if (left == right || top == bottom)
        return;
    fillBox(image, left, top, right, top + 1, colour);
    fillBox(image, left, bottom - 1, right, bottom, colour);
    fillBox(image, left, top, left + 1, bottom, colour);
    fillBox(image, right - 1, top, right, bottom, colour);
}

} // namespace cadenzo
