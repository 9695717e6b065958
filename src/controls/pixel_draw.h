#pragma once

#include <QColor>
#include <QImage>

namespace cadenzo {

// Pictures are device-sized on high-DPI screens (QImage::devicePixelRatio r), yet every drawing
// below takes logical pixels: logical column x covers device columns floor(x*r) up to
// floor((x+1)*r) - 1, rows likewise, so a one-pixel line is whole device pixels wide at any
// ratio (two at 2; one or two, never a blended half, at 1.5). At r = 1 a logical pixel is a
// device pixel, as before.

// A picture of `logical` size for a screen of `ratio`, not filled.
QImage makePicture(QSize logical, qreal ratio, QImage::Format format = QImage::Format_RGB32);
// The logical size of a picture made by makePicture.
QSize logicalSize(const QImage& image);
// First device column (vertical: row) of logical column x; the picture's far edge maps to its
// device edge, so the last logical column also covers the device column a fractional ratio
// leaves over.
int deviceEdge(const QImage& image, int x, bool vertical = false);

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

// Copies the logical box of `source` at `from`, `size` big, into `target` at `to`, clipped to
// both pictures. Each logical pixel of the target takes the device pixels of its source pixel,
// so a line stays a line even where a fractional ratio gives the two pixels different widths;
// between pictures of different ratios the copy is scaled without blending.
void copyBox(QImage& target, QPoint to, const QImage& source, QPoint from, QSize size);

} // namespace cadenzo
