#include "controls/pixel_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace cadenzo {

namespace {

// Ratios such as 1.1 are not exact in binary; a product a hair below a whole number must not
// lose its device pixel.
constexpr double ROUNDING_SLACK = 1e-6;

int floorTimes(int x, qreal r) {
    return static_cast<int>(std::floor(x * r + ROUNDING_SLACK));
}

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

// Runs op on every device pixel of the clipped logical box, row by row.
template <class Op> void forBox(QImage& image, int left, int top, int right, int bottom, Op op) {
    if (left >= right || top >= bottom)
        return;
    left = std::max(deviceEdge(image, left), 0);
    top = std::max(deviceEdge(image, top, true), 0);
    right = std::min(deviceEdge(image, right), image.width());
    bottom = std::min(deviceEdge(image, bottom, true), image.height());
    for (int y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = left; x < right; ++x)
            row[x] = op(row[x]);
    }
}

// For logical [to, to + n) of the target, clipped: the first target device index and, for each
// device index from there, the source device index it copies.
struct AxisMap {
    int first = 0;
    std::vector<int> source;
    bool contiguous() const {
        for (std::size_t i = 1; i < source.size(); ++i)
            if (source[i] != source[0] + static_cast<int>(i))
                return false;
        return true;
    }
};

AxisMap mapAxis(const QImage& target, int to, const QImage& source, int from, int n,
                bool vertical) {
    const int targetLogical = vertical ? logicalSize(target).height() : logicalSize(target).width();
    const int sourceLogical = vertical ? logicalSize(source).height() : logicalSize(source).width();
    AxisMap map;
    const int skip = std::max({0, -to, -from});
    const int end = std::min({n, targetLogical - to, sourceLogical - from});
    map.first = skip < end ? deviceEdge(target, to + skip, vertical) : 0;
    for (int i = skip; i < end; ++i) {
        const int t0 = deviceEdge(target, to + i, vertical);
        const int t1 = deviceEdge(target, to + i + 1, vertical);
        const int s0 = deviceEdge(source, from + i, vertical);
        const int s1 = deviceEdge(source, from + i + 1, vertical);
        for (int k = t0; k < t1; ++k)
            map.source.push_back(s0 + (k - t0) * (s1 - s0) / (t1 - t0));
    }
    return map;
}

} // namespace

QImage makePicture(QSize logical, qreal ratio, QImage::Format format) {
    const auto device = [ratio](int n) {
        return static_cast<int>(std::ceil(n * ratio - ROUNDING_SLACK));
    };
    QImage image(device(logical.width()), device(logical.height()), format);
    image.setDevicePixelRatio(ratio);
    return image;
}

QSize logicalSize(const QImage& image) {
    const qreal r = image.devicePixelRatio();
    return {static_cast<int>(std::floor(image.width() / r + ROUNDING_SLACK)),
            static_cast<int>(std::floor(image.height() / r + ROUNDING_SLACK))};
}

int deviceEdge(const QImage& image, int x, bool vertical) {
    if (image.devicePixelRatio() == 1)
        return std::min(x, vertical ? image.height() : image.width());
    const int logical = vertical ? logicalSize(image).height() : logicalSize(image).width();
    if (x >= logical)
        return vertical ? image.height() : image.width();
    return floorTimes(x, image.devicePixelRatio());
}

void drawLineTo(QImage& image, int x0, int y0, int x1, int y1, QColor colour) {
    const QRgb rgb = colour.rgb();
    // At ratio 1 a logical pixel is a device pixel: no box to work out per step.
    if (image.devicePixelRatio() == 1) {
        walkLine(x0, y0, x1, y1, [&](int x, int y) {
            if (image.valid(x, y))
                image.setPixel(x, y, rgb);
        });
        return;
    }
    walkLine(x0, y0, x1, y1, [&](int x, int y) { fillBox(image, x, y, x + 1, y + 1, rgb); });
}

void notXorLineTo(QImage& image, int x0, int y0, int x1, int y1, QColor pen) {
    const QRgb bits = pen.rgb() & 0xFFFFFF;
    if (image.devicePixelRatio() == 1) {
        walkLine(x0, y0, x1, y1, [&](int x, int y) {
            if (image.valid(x, y))
                image.setPixel(x, y, 0xFF000000 | (~(image.pixel(x, y) ^ bits) & 0xFFFFFF));
        });
        return;
    }
    walkLine(x0, y0, x1, y1, [&](int x, int y) {
        forBox(image, x, y, x + 1, y + 1,
               [bits](QRgb pixel) { return 0xFF000000 | (~(pixel ^ bits) & 0xFFFFFF); });
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

void copyBox(QImage& target, QPoint to, const QImage& source, QPoint from, QSize size) {
    if (target.depth() != 32)
        return; // every picture of Cadenzo is 32-bit
    const QImage same =
        source.format() == target.format() ? source : source.convertToFormat(target.format());
    const qreal r = target.devicePixelRatio();
    if (same.devicePixelRatio() == r && r == std::floor(r)) {
        // A whole ratio maps every logical pixel alike: whole rows of device pixels, as at 1.
        const int k = static_cast<int>(r);
        const QSize t = logicalSize(target), s = logicalSize(same);
        const int skipX = std::max({0, -to.x(), -from.x()}),
                  skipY = std::max({0, -to.y(), -from.y()});
        const int w = std::min({size.width(), t.width() - to.x(), s.width() - from.x()}) - skipX;
        const int h = std::min({size.height(), t.height() - to.y(), s.height() - from.y()}) - skipY;
        if (w <= 0 || h <= 0)
            return;
        const auto bytes = static_cast<std::size_t>(w * k) * sizeof(QRgb);
        for (int y = 0; y < h * k; ++y) {
            const auto* in =
                reinterpret_cast<const QRgb*>(same.constScanLine((from.y() + skipY) * k + y));
            auto* out = reinterpret_cast<QRgb*>(target.scanLine((to.y() + skipY) * k + y));
            std::memcpy(out + (to.x() + skipX) * k, in + (from.x() + skipX) * k, bytes);
        }
        return;
    }
    const AxisMap columns = mapAxis(target, to.x(), same, from.x(), size.width(), false);
    const AxisMap rows = mapAxis(target, to.y(), same, from.y(), size.height(), true);
    if (columns.source.empty() || rows.source.empty())
        return;
    const bool straight = columns.contiguous();
    const auto bytes = columns.source.size() * sizeof(QRgb);
    for (std::size_t i = 0; i < rows.source.size(); ++i) {
        const auto* in = reinterpret_cast<const QRgb*>(same.constScanLine(rows.source[i]));
        auto* row = reinterpret_cast<QRgb*>(target.scanLine(rows.first + static_cast<int>(i)));
        row += columns.first;
        if (straight)
            std::memcpy(row, in + columns.source[0], bytes);
        else
            for (std::size_t c = 0; c < columns.source.size(); ++c)
                row[c] = in[columns.source[c]];
    }
}

} // namespace cadenzo
