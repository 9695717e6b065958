#pragma once

#include <QImage>
#include <QWidget>

namespace cadenzo {

// A control that shows a picture composed elsewhere and reports the mouse to its owner: the
// program's image controls (the neck, the open-string strip, the roll view, the sequence view).
// paintEvent only copies the picture, so every redraw is one copy.
class ImageControl : public QWidget {
    Q_OBJECT

public:
    ImageControl(const QString& name, QWidget* parent = nullptr);

    // The picture on screen, always the size of the control; owners draw into it, then update().
    QImage& picture();

signals:
    void mousePressed(Qt::MouseButton button, QPoint at);
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint at);
    void mouseReleased(Qt::MouseButton button, QPoint at);
    // The picture already has the new size.
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void fitPicture();
    QImage picture_;
};

// Copies `source` (from `from`, in `size`) into `target` at `to`, clipped to both pictures.
void copyPicture(QImage& target, QPoint to, const QImage& source, QPoint from, QSize size);

} // namespace cadenzo
