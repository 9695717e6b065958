#pragma once

// Conversion between colour numbers and Qt colours. System colours resolve against a palette
// (the widget's own), so they follow the desktop theme.

#include <QColor>
#include <QPalette>

#include <initializer_list>

#include "controls/color_number.h"

class QWidget;

namespace cadenzo {

QColor toQColor(PackedColor c, const QPalette& palette);
// The colour number of an opaque colour (never a system colour).
PackedColor fromQColor(const QColor& c);
// c as a plain RGB colour number, system colours resolved against the palette.
PackedColor resolveColor(PackedColor c, const QPalette& palette);

// QImage pixel (0xAARRGGBB) from a colour number and back.
inline QRgb toQRgb(PackedColor c) {
    return qRgb(getRValue(c), getGValue(c), getBValue(c));
}
inline PackedColor fromQRgb(QRgb p) {
    return RGB(std::uint8_t(qRed(p)), std::uint8_t(qGreen(p)), std::uint8_t(qBlue(p)));
}

// The colour scheme on ordinary controls (lists, edits, radio buttons): their field in `field`,
// their text in `text`.
void applyFieldColors(std::initializer_list<QWidget*> widgets, const QColor& field,
                      const QColor& text);

} // namespace cadenzo
