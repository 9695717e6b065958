#include "controls/pixel_draw.h"

#include <cstdlib>

namespace cadenzo {

void DrawLineTo(QImage& image, int x0, int y0, int x1, int y1, QColor colour) {
    const QRgb rgb = colour.rgb();
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0;
    while (x != x1 || y != y1) {
        if (image.valid(x, y))
            image.setPixel(x, y, rgb);
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

} // namespace cadenzo
