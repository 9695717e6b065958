#pragma once

// Mouse events delivered straight to a widget, wherever the (offscreen) cursor is.

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace cadenzo::test {

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button,
                      Qt::MouseButtons held, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)), button, held, keys);
    QCoreApplication::sendEvent(w, &e);
}
inline void Press(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton) {
    SendMouse(w, QEvent::MouseButtonPress, p, b, b);
}
inline void Move(QWidget* w, QPoint p, Qt::MouseButtons held = Qt::LeftButton,
                 Qt::KeyboardModifiers keys = Qt::NoModifier) {
    SendMouse(w, QEvent::MouseMove, p, Qt::NoButton, held, keys);
}
inline void Release(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton) {
    SendMouse(w, QEvent::MouseButtonRelease, p, b, Qt::NoButton);
}
inline void click(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton) {
    Press(w, p, b), Release(w, p, b);
}

} // namespace cadenzo::test
