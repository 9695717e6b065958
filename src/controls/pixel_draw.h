#pragma once

#include <QColor>
#include <QImage>

namespace cadenzo {

// A one-pixel line from (x0, y0) towards (x1, y1) with the end point left undrawn, as every
// line of Cadenzo's pictures is drawn; consecutive lines thus meet without doubling a pixel.
void drawLineTo(QImage& image, int x0, int y0, int x1, int y1, QColor colour);
// The same pixels, each replaced by NOT(pen XOR pixel): drawing the line a second time gives the
// picture back, so a rubber band can be moved without keeping what lay under it.
void notXorLineTo(QImage& image, int x0, int y0, int x1, int y1, QColor pen);

// The pictures below are 32-bit RGB; boxes are clipped to the picture. A box covers x from
// left up to, not including, right, and y likewise.
void fillBox(QImage& image, int left, int top, int right, int bottom, QRgb colour);
// Inverts every colour of the box (XOR with white).
void invertBox(QImage& image, int left, int top, int right, int bottom);
// An unfilled rectangle between the corners (x1, y1) and (x2, y2), given in either order: its
// outline runs along the smaller x and y and one pixel inside the larger ones, so the larger
// corner itself is not drawn (a rectangle two pixels high between rows 120 and 122 fills rows
// 120 and 121).
void drawFrame(QImage& image, int x1, int y1, int x2, int y2, QRgb colour);

} // namespace cadenzo
