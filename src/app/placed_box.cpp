#include "app/placed_box.h"

#include <QApplication>
#include <QTimer>

namespace cadenzo {

namespace {

// A box raised while one of the window's dialogs that stay on top is open (a device that fails
// to open at the Instrument dialog's OK) would come up behind that dialog, out of reach: the
// box then belongs to the dialog, and stays on top itself, so it shows over it.
QWidget* OpenDialogOnTop(QWidget* owner) {
    QWidget* over = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != owner && window->isVisible() && window->inherits("QDialog") &&
            window->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            over = window;
    }
    return over;
}

} // namespace

// A message box whose frame stands at the owner's frame (the place the settings file keeps)
// + 40, + 40. Until the window manager has framed the box, a move places its inside, below the
// title bar, and the manager may place the box once more as it frames it; so the box is put in
// place again until it has stood there framed for a fifth of a second, long enough for a busy
// window manager's late placement to show (or for two seconds at most, which is also all a
// desktop without frames costs).
int execPlacedBox(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text,
                  QMessageBox::StandardButtons buttons,
                  const std::function<void(QMessageBox&)>& adjust) {
    QWidget* dialog = OpenDialogOnTop(owner);
    QMessageBox box(icon, title, text, buttons, dialog != nullptr ? dialog : owner);
    if (dialog != nullptr)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (adjust)
        adjust(box);
    const QPoint place = owner->pos() + QPoint(40, 40);
    box.move(place);
    QTimer settle;
    int looks = 0;
    int settled = 0;
    QObject::connect(&settle, &QTimer::timeout, &box, [&] {
        const bool framed = box.geometry().topLeft() != box.pos();
        if (framed && box.pos() != place) {
            box.move(place);
            settled = 0;
        } else if (framed) {
            ++settled;
        }
        if (settled == 20 || ++looks == 200)
            settle.stop();
    });
    settle.start(10);
    return box.exec();
}

} // namespace cadenzo
