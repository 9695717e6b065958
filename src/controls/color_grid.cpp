#include "controls/color_grid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/pixel_draw.h"
#include "controls/qt_color.h"

namespace cadenzo {

namespace {

// Pixels are logical: on a high-DPI screen each covers whole device pixels.
void put(QImage& img, int x, int y, QRgb c) {
    fillBox(img, x, y, x + 1, y + 1, c);
}

// The border pixels of r, visited once each.
template <class F> void forEachBorderPixel(const PixRect& r, F f) {
    if (r.w <= 0 || r.h <= 0)
        return;
    const int right = r.x + r.w - 1, bottom = r.y + r.h - 1;
    for (int x = r.x; x <= right; ++x) {
        f(x, r.y);
        if (bottom != r.y)
            f(x, bottom);
    }
    for (int y = r.y + 1; y < bottom; ++y) {
        f(r.x, y);
        if (right != r.x)
            f(right, y);
    }
}

void outline(QImage& img, const PixRect& r, QRgb c) {
    forEachBorderPixel(r, [&](int x, int y) { put(img, x, y, c); });
}

void Fill(QImage& img, const PixRect& r, QRgb c) {
    fillBox(img, r.x, r.y, r.x + r.w, r.y + r.h, c);
}

PixRect inset(const PixRect& r, int d) {
    return {r.x + d, r.y + d, r.w - 2 * d, r.h - 2 * d};
}

void invert(QImage& img, int x, int y) {
    invertBox(img, x, y, x + 1, y + 1);
}

} // namespace

ColorGrid::ColorGrid(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
    applySize();
}

void ColorGrid::setGridOrdering(GridOrder v) {
    if (v == ordering_)
        return;
    ordering_ = v;
    applySize();
    update();
}

void ColorGrid::applySize() {
    const GridMetrics m = metrics();
    if (m.width != width() || m.height != height())
        resize(m.width, m.height);
}

void ColorGrid::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    applySize();
}

void ColorGrid::setForegroundEnabled(bool v) {
    if (v == foregroundEnabled_)
        return;
    foregroundEnabled_ = v;
    update();
}

void ColorGrid::setBackgroundEnabled(bool v) {
    if (v == backgroundEnabled_)
        return;
    backgroundEnabled_ = v;
    update();
}

void ColorGrid::setSelection(int v) {
    if (v == selection_)
        return;
    selection_ = v;
    update();
}

void ColorGrid::setCtl3D(bool v) {
    if (v == ctl3D_)
        return;
    ctl3D_ = v;
    update();
}

void ColorGrid::setIndex(bool foreground, int v) {
    if (!(foreground ? foregroundEnabled_ : backgroundEnabled_))
        return;
    int& index = foreground ? foregroundIndex_ : backgroundIndex_;
    if (v == index)
        return;
    index = v;
    update();
    emit changed();
}

void ColorGrid::Pick(bool foreground, int cell) {
    bool& enabled = foreground ? foregroundEnabled_ : backgroundEnabled_;
    if (!enabled && clickEnablesColor_) {
        enabled = true;
        (foreground ? foregroundIndex_ : backgroundIndex_) = -1;
    }
    if (!enabled)
        return;
    setIndex(foreground, cell);
    setSelection(cell);
}

void ColorGrid::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange || e->type() == QEvent::PaletteChange ||
        e->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(e);
}

void ColorGrid::focusInEvent(QFocusEvent* e) {
    hasFocus_ = true;
    update();
    emit entered();
    QWidget::focusInEvent(e);
}

void ColorGrid::focusOutEvent(QFocusEvent* e) {
    hasFocus_ = false;
    update();
    emit exited();
    QWidget::focusOutEvent(e);
}

void ColorGrid::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit mousePressed(e->button(), e->modifiers(), p.x(), p.y());
    // While a button is held Qt sends every move and the release here (the capture).
    dragForeground_ = e->button() == Qt::LeftButton;
    dragging_ = true;
    Pick(dragForeground_, cellAtPoint(p.x(), p.y()));
}

void ColorGrid::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit mouseMoved(e->modifiers(), p.x(), p.y());
    if (!dragging_)
        return;
    const int cell = cellAtPoint(p.x(), p.y());
    if (dragForeground_ ? foregroundEnabled_ : backgroundEnabled_) {
        setIndex(dragForeground_, cell);
        setSelection(cell);
    }
}

void ColorGrid::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit mouseReleased(e->button(), e->modifiers(), p.x(), p.y());
    if (!dragging_)
        return;
    dragging_ = false;
    if (!dragForeground_)
        emit clicked();
    else if (e->button() == Qt::LeftButton && rect().contains(p))
        emit clicked();
}

void ColorGrid::keyPressEvent(QKeyEvent* e) {
    auto move = [&](GridKey k) { setSelection(moveSelection(ordering_, selection_, k)); };
    switch (e->key()) {
    case Qt::Key_Right:
    case Qt::Key_Space:
        move(GridKey::Right);
        break;
    case Qt::Key_Left:
        move(GridKey::Left);
        break;
    case Qt::Key_Down:
        move(GridKey::Down);
        break;
    case Qt::Key_Up:
        move(GridKey::Up);
        break;
    case Qt::Key_Home:
        move(GridKey::Home);
        break;
    case Qt::Key_End:
        move(GridKey::End);
        break;
    case Qt::Key_F:
    case Qt::Key_B: {
        // The letters themselves, typed with or without Shift; not Ctrl+F and the like.
        const QString typed = e->text();
        if (typed.compare(QLatin1String(e->key() == Qt::Key_F ? "f" : "b"), Qt::CaseInsensitive) !=
            0) {
            QWidget::keyPressEvent(e);
            return;
        }
        const bool foreground = e->key() == Qt::Key_F;
        bool& enabled = foreground ? foregroundEnabled_ : backgroundEnabled_;
        if (!enabled && clickEnablesColor_) {
            enabled = true;
            (foreground ? foregroundIndex_ : backgroundIndex_) = -1;
        }
        setIndex(foreground, selection_);
        emit clicked();
        break;
    }
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
}

void ColorGrid::drawCell(QImage& img, int index, bool selector) const {
    if (index < 0 || index > 15)
        return;
    const QPalette& pal = palette();
    const QRgb cell = toQRgb(cellColor(index));
    PixRect r = cellRect(metrics(), ordering_, index);
    if (ctl3D_) {
        outline(img, r, toQRgb(resolveColor(clBtnFace, pal)));
        r = inset(r, 1);
        const QRgb shadow = toQRgb(resolveColor(clBtnShadow, pal));
        const QRgb light = toQRgb(resolveColor(clBtnHighlight, pal));
        for (int ring = 0; ring < 2 && r.w > 0 && r.h > 0; ++ring) {
            const int right = r.x + r.w - 1, bottom = r.y + r.h - 1;
            for (int x = r.x; x < right; ++x)
                put(img, x, r.y, shadow);
            for (int y = r.y; y < bottom; ++y)
                put(img, r.x, y, shadow);
            for (int x = r.x; x <= right; ++x)
                put(img, x, bottom, light);
            for (int y = r.y; y <= bottom; ++y)
                put(img, right, y, light);
            r = inset(r, 1);
        }
        Fill(img, r, cell); // outline and fill both in the cell colour
        if (selector) {
            // Dotted focus rectangle: every other border pixel inverted.
            forEachBorderPixel(inset(r, 1), [&](int x, int y) {
                if ((x + y) % 2 == 0)
                    invert(img, x, y);
            });
        }
    } else {
        Fill(img, r, cell);
        outline(img, r, qRgb(0, 0, 0));
        if (selector) {
            forEachBorderPixel(r, [&](int x, int y) { invert(img, x, y); });
            const PixRect in = inset(r, 2);
            Fill(img, in, cell);
            outline(img, in, qRgb(0, 0, 0));
        }
    }
}

void ColorGrid::drawMarks(QImage& img) const {
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    QFont f = font();
    f.setStyleStrategy(QFont::NoAntialias);
    p.setFont(f);
    auto mark = [&](int index, const char* text) {
        if (index < 0 || index > 15)
            return;
        const PixRect r = cellRect(metrics(), ordering_, index);
        p.setPen(QColor::fromRgb(toQRgb(contrastColor(cellColor(index)))));
        p.drawText(QRect(r.x, r.y, r.w, r.h), Qt::AlignCenter, QString::fromLatin1(text));
    };
    const bool same =
        foregroundEnabled_ && backgroundEnabled_ && foregroundIndex_ == backgroundIndex_;
    if (foregroundEnabled_)
        mark(foregroundIndex_, same ? "FB" : "FG");
    if (backgroundEnabled_ && !same)
        mark(backgroundIndex_, "BG");
}

QImage ColorGrid::picture() const {
    QImage img = makePicture(size(), devicePixelRatioF());
    img.fill(toQColor(clBtnFace, palette()));
    for (int i = 0; i < 16; ++i)
        drawCell(img, i, false);
    if (hasFocus_)
        drawCell(img, selection_, true);
    drawMarks(img);
    return img;
}

void ColorGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, picture());
}

} // namespace cadenzo
