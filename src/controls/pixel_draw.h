#pragma once

#include <QColor>
#include <QImage>

namespace cadenzo {

// A one-pixel line from (x0, y0) towards (x1, y1) with the end point left undrawn, as every
// line of Cadenzo's pictures is drawn; consecutive lines thus meet without doubling a pixel.
void DrawLineTo(QImage& image, int x0, int y0, int x1, int y1, QColor colour);

} // namespace cadenzo
