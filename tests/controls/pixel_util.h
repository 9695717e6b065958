#pragma once

// Pixel helpers for the widget tests.

#include <QImage>
#include <QRect>

#include "controls/color_number.h"
#include "controls/qt_color.h"

namespace cadenzo::test {

inline TColor PixelAt(const QImage& img, int x, int y) {
    return FromQRgb(img.pixel(x, y));
}

// How many pixels of the area show colour c.
inline int CountColor(const QImage& img, TColor c, QRect area = {}) {
    if (area.isNull())
        area = img.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (PixelAt(img, x, y) == c)
                ++n;
    return n;
}

} // namespace cadenzo::test
