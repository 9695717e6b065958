#pragma once

// TColorGrid: a focusable grid of the 16 standard colours. The left mouse button picks the
// foreground colour, the other buttons the background colour; the picked cells carry the marks
// "FG", "BG" or "FB". The picture is composed off screen and paintEvent only copies it.

#include <QImage>
#include <QWidget>

#include "controls/color_number.h"
#include "controls/control_geometry.h"

namespace cadenzo {

class TColorGrid : public QWidget {
    Q_OBJECT
public:
    explicit TColorGrid(QWidget* parent = nullptr);

    TGridOrdering GridOrdering() const { return ordering_; }
    void setGridOrdering(TGridOrdering v);
    int ForegroundIndex() const { return foregroundIndex_; }
    void setForegroundIndex(int v) { SetIndex(true, v); }
    int BackgroundIndex() const { return backgroundIndex_; }
    void setBackgroundIndex(int v) { SetIndex(false, v); }
    bool ForegroundEnabled() const { return foregroundEnabled_; }
    void setForegroundEnabled(bool v);
    bool BackgroundEnabled() const { return backgroundEnabled_; }
    void setBackgroundEnabled(bool v);
    bool ClickEnablesColor() const { return clickEnablesColor_; }
    void setClickEnablesColor(bool v) { clickEnablesColor_ = v; }
    int Selection() const { return selection_; }
    void setSelection(int v);
    bool Ctl3D() const { return ctl3D_; }
    void setCtl3D(bool v);
    bool TabStop() const { return focusPolicy() == Qt::StrongFocus; }
    void setTabStop(bool v) { setFocusPolicy(v ? Qt::StrongFocus : Qt::ClickFocus); }

    int Columns() const { return GridColumns(ordering_); }
    int Rows() const { return GridRows(ordering_); }
    int CellWidth() const { return Metrics().cellWidth; }
    int CellHeight() const { return Metrics().cellHeight; }
    TColor CellColor(int index) const { return colorTable[std::size_t(index)]; }
    int CellAtPoint(int x, int y) const { return CellAt(Metrics(), ordering_, x, y); }

    // The composed picture (what paintEvent copies).
    QImage Picture() const;

signals:
    void OnChange();
    void OnClick();
    void OnEnter();
    void OnExit();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

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
    GridMetrics Metrics() const { return GridSize(ordering_, width(), height()); }
    void ApplySize();
    void SetIndex(bool foreground, int v);
    // A pick by mouse or key: enables a disabled side when ClickEnablesColor is on.
    void Pick(bool foreground, int cell);
    void DrawCell(QImage& img, int index, bool selector) const;
    void DrawMarks(QImage& img) const;

    TGridOrdering ordering_ = go4x4;
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
