#include "views/image_control.h"

#include "controls/pixel_draw.h"

#include <QMouseEvent>
#include <QPainter>

namespace cadenzo {

ImageControl::ImageControl(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    picture_ = QImage(1, 1, QImage::Format_RGB32);
    picture_.fill(Qt::white);
}

// Moved to a screen of another ratio, the control is drawn again at the new one. Qt 6.4 tells
// a widget only that its screen changed; the check in paintEvent also catches a screen whose
// own ratio changed.
bool ImageControl::event(QEvent* event) {
    if (event->type() == QEvent::ScreenChangeInternal)
        update();
    return QWidget::event(event);
}

void ImageControl::paintEvent(QPaintEvent* /*event*/) {
    if (fitPicture())
        emit ratioChanged();
    QPainter painter(this);
    painter.drawImage(0, 0, picture());
}

QImage& ImageControl::picture() {
    fitPicture();
    return picture_;
}

// A hidden control gets its resize event only when shown; the picture follows the size at once
// so that owners can draw into it before that.
bool ImageControl::fitPicture() {
    const QSize wanted = size().expandedTo(QSize(1, 1));
    const qreal ratio = devicePixelRatioF();
    const bool newRatio = picture_.devicePixelRatio() != ratio;
    if (logicalSize(picture_) == wanted && !newRatio)
        return false;
    QImage fitted = makePicture(wanted, ratio);
    fitted.fill(Qt::white);
    copyPicture(fitted, {0, 0}, picture_, {0, 0}, logicalSize(picture_));
    picture_ = fitted;
    return newRatio;
}

void ImageControl::resizeEvent(QResizeEvent* /*event*/) {
    fitPicture();
    emit resized();
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(event->button(), event->position().toPoint());
}

void ImageControl::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(event->buttons(), event->modifiers(), event->position().toPoint());
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseReleased(event->button(), event->position().toPoint());
}

void copyPicture(QImage& target, QPoint to, const QImage& source, QPoint from, QSize size) {
    copyBox(target, to, source, from, size);
}

} // namespace cadenzo
