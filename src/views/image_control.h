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

    // The picture on screen, always the size of the control in logical pixels and device-sized
    // for the control's screen; owners draw into it, then update().
    QImage& picture();

signals:
    void mousePressed(Qt::MouseButton button, QPoint at);
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint at);
    void mouseReleased(Qt::MouseButton button, QPoint at);
    // The picture already has the new size.
    void resized();
    // The control is now on a screen of another device pixel ratio: the picture has the new
    // ratio (its old content scaled) and the owner draws it again.
    void ratioChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Fits the picture to the control's size and ratio; true if the ratio changed.
    bool fitPicture();
    QImage picture_;
};

// Copies `source` (from `from`, in `size`) into `target` at `to`, clipped to both pictures; all
// in logical pixels, at any device pixel ratio (see copyBox).
void copyPicture(QImage& target, QPoint to, const QImage& source, QPoint from, QSize size);

} // namespace cadenzo
