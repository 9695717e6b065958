#include "views/image_control.h"

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

void ImageControl::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawImage(0, 0, picture());
}

QImage& ImageControl::picture() {
    fitPicture();
    return picture_;
}

// A hidden control gets its resize event only when shown; the picture follows the size at once
// so that owners can draw into it before that.
void ImageControl::fitPicture() {
    const QSize wanted = size().expandedTo(QSize(1, 1));
    if (picture_.size() == wanted)
        return;
    QImage fitted(wanted, QImage::Format_RGB32);
    fitted.fill(Qt::white);
    copyPicture(fitted, {0, 0}, picture_, {0, 0}, picture_.size());
    picture_ = fitted;
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
    QPainter painter(&target);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRect(to, size), source, QRect(from, size));
}

} // namespace cadenzo
