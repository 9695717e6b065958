#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

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

    std::function<void(Qt::MouseButton, QPoint)> onMouseDown;
    std::function<void(Qt::MouseButtons, Qt::KeyboardModifiers, QPoint)> onMouseMove;
    std::function<void(Qt::MouseButton, QPoint)> onMouseUp;
    std::function<void()> onResize;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void FitPicture();
    QImage picture_;
};

// Copies `source` (from `from`, in `size`) into `target` at `to`, clipped to both pictures.
void CopyPicture(QImage& target, QPoint to, const QImage& source, QPoint from, QSize size);

} // namespace cadenzo
