#pragma once

// Pixel helpers, and mouse and hover events delivered straight to a widget, independent of where
// the (offscreen) cursor is.

#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

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
            n += PixelAt(img, x, y) == c;
    return n;
}

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button,
                      Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}
inline void Press(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton) {
    SendMouse(w, QEvent::MouseButtonPress, p, b, b);
}
inline void Move(QWidget* w, QPoint p, Qt::MouseButtons held = Qt::LeftButton) {
    SendMouse(w, QEvent::MouseMove, p, Qt::NoButton, held);
}
inline void Release(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton) {
    SendMouse(w, QEvent::MouseButtonRelease, p, b, Qt::NoButton);
}
inline void Click(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton) {
    Press(w, p, b);
    Release(w, p, b);
}
inline void Enter(QWidget* w, QPoint p = {5, 5}) {
    QEnterEvent e{QPointF(p), QPointF(p), QPointF(w->mapToGlobal(p))};
    QCoreApplication::sendEvent(w, &e);
}
inline void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace cadenzo::test
