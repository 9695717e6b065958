#pragma once

// ColorGrid: a focusable grid of the 16 standard colours. The left mouse button picks the
// foreground colour, the other buttons the background colour; the picked cells carry the marks
// "FG", "BG" or "FB". The picture is composed off screen and paintEvent only copies it.

#include <QImage>
#include <QWidget>

#include "controls/color_number.h"
#include "controls/control_geometry.h"

namespace cadenzo {

class ColorGrid : public QWidget {
    Q_OBJECT
public:
    explicit ColorGrid(QWidget* parent = nullptr);

    GridOrder gridOrdering() const { return ordering_; }
    void setGridOrdering(GridOrder v);
    int foregroundIndex() const { return foregroundIndex_; }
    void setForegroundIndex(int v) { setIndex(true, v); }
    int backgroundIndex() const { return backgroundIndex_; }
    void setBackgroundIndex(int v) { setIndex(false, v); }
    bool foregroundEnabled() const { return foregroundEnabled_; }
    void setForegroundEnabled(bool v);
    bool backgroundEnabled() const { return backgroundEnabled_; }
    void setBackgroundEnabled(bool v);
    bool clickEnablesColor() const { return clickEnablesColor_; }
    void setClickEnablesColor(bool v) { clickEnablesColor_ = v; }
    int Selection() const { return selection_; }
    void setSelection(int v);
    bool ctl3D() const { return ctl3D_; }
    void setCtl3D(bool v);
    bool tabStop() const { return focusPolicy() == Qt::StrongFocus; }
    void setTabStop(bool v) { setFocusPolicy(v ? Qt::StrongFocus : Qt::ClickFocus); }

    int columns() const { return gridColumns(ordering_); }
    int rows() const { return gridRows(ordering_); }
    int cellWidth() const { return metrics().cellWidth; }
    int cellHeight() const { return metrics().cellHeight; }
    PackedColor cellColor(int index) const { return colorTable[std::size_t(index)]; }
    int cellAtPoint(int x, int y) const { return cellAt(metrics(), ordering_, x, y); }

    // The composed picture (what paintEvent copies).
    QImage picture() const;

signals:
    void changed();
    void clicked();
    void entered();
    void exited();
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void mouseMoved(Qt::KeyboardModifiers shift, int x, int y);
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    // Cells follow the current size at once; the size itself is cut when Qt delivers the
    // resize (at once for a shown control, on showing for a hidden one).
    GridMetrics metrics() const { return gridSize(ordering_, width(), height()); }
    void applySize();
    void setIndex(bool foreground, int v);
    // A pick by mouse or key: enables a disabled side when clickEnablesColor is on.
    void Pick(bool foreground, int cell);
    void drawCell(QImage& img, int index, bool selector) const;
    void drawMarks(QImage& img) const;

    GridOrder ordering_ = GridOrder::Grid4x4;
    int foregroundIndex_ = 0;
    int backgroundIndex_ = 0;
    bool foregroundEnabled_ = true;
    bool backgroundEnabled_ = true;
    bool clickEnablesColor_ = false;
    int selection_ = 0;
    bool ctl3D_ = true;

    bool hasFocus_ = false;
    bool dragging_ = false;
    bool dragForeground_ = true; // the drag was started by the left button
};

} // namespace cadenzo
