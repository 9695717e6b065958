#include "controls/shine_speed_button.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPainter>
#include <QPointer>
#include <algorithm>
#include <cstdlib>

#include "controls/pixel_draw.h"
#include "controls/qt_color.h"

namespace cadenzo {

namespace {

constexpr int kCheckInterval = 200; // ms between checks that the mouse is still over the button

GlyphPixels ToGlyphPixels(const QImage& img) {
    GlyphPixels g;
    g.w = img.width();
    g.h = img.height();
    g.px.resize(std::size_t(g.w) * std::size_t(g.h));
    for (int y = 0; y < g.h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < g.w; ++x)
            g.at(x, y) = FromQRgb(row[x]);
    }
    return g;
}

void SetPixelClipped(QImage& img, int x, int y, QRgb c) {
    if (x >= 0 && y >= 0 && x < img.width() && y < img.height())
        img.setPixel(x, y, c);
}

} // namespace

TShineSpeedButton::TShineSpeedButton(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    activeFont_ = font();
    colors_.OnChange = [this] { Invalidate(); };
    pressedColors_.OnChange = [this] { Invalidate(); };
    checkTimer_.setInterval(kCheckInterval);
    connect(&checkTimer_, &QTimer::timeout, this, &TShineSpeedButton::CheckMouseTick);
    resize(25, 25);
}

TShineSpeedButton::~TShineSpeedButton() {
    // The colour sets may outlive a repaint request only through these callbacks.
    colors_.OnChange = nullptr;
    pressedColors_.OnChange = nullptr;
}

void TShineSpeedButton::setCaption(const QString& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    UpdateShortcut();
    Invalidate();
}

void TShineSpeedButton::setGroupIndex(int v) {
    groupIndex_ = v;
    if (v == 0 && down_) {
        down_ = false;
        SetLook(RestingLook());
    }
}

void TShineSpeedButton::setDown(bool v) {
    if (groupIndex_ == 0 || v == down_)
        return;
    if (down_ && !allowAllUp_)
        return; // only another member going down releases it
    down_ = v;
    if (v && parentWidget()) {
        const auto siblings =
            parentWidget()->findChildren<TShineSpeedButton*>(Qt::FindDirectChildrenOnly);
        for (TShineSpeedButton* b : siblings) {
            if (b == this || b->groupIndex_ != groupIndex_ || !b->down_)
                continue;
            b->down_ = false;
            b->allowAllUp_ = allowAllUp_;
            b->SetLook(b->RestingLook());
        }
    }
    SetLook(RestingLook());
}

void TShineSpeedButton::setTransparent(bool v) {
    setAttribute(Qt::WA_OpaquePaintEvent, !v);
    Set(transparent_, v);
}

void TShineSpeedButton::setActiveFont(const QFont& f) {
    activeFont_ = f;
    Invalidate();
}

void TShineSpeedButton::setGlyph(const QImage& glyph) {
    glyph_ = glyph.isNull() ? QImage() : glyph.convertToFormat(QImage::Format_RGB32);
    Invalidate();
}

void TShineSpeedButton::Invalidate() {
    dirty_ = true;
    update();
}

void TShineSpeedButton::SetLook(TShineLook look) {
    if (look == look_)
        return;
    look_ = look;
    Invalidate();
}

TShineLook TShineSpeedButton::RestingLook() const {
    if (!isEnabled())
        return slDisabled;
    if (down_)
        return mouseInControl_ ? slPressedHot : slLatched;
    return mouseInControl_ ? slHot : slUp;
}

bool TShineSpeedButton::CursorWithin() const {
    return isVisible() && rect().contains(mapFromGlobal(QCursor::pos()));
}

void TShineSpeedButton::MouseEntered() {
    if (!isEnabled() || mouseInControl_ || QWidget::mouseGrabber() != nullptr)
        return;
    mouseInControl_ = true;
    if (look_ == slUp)
        SetLook(slHot);
    else if (look_ == slLatched)
        SetLook(slPressedHot);
    checkTimer_.start();
}

void TShineSpeedButton::MouseLeft() {
    if (!mouseInControl_ || !isEnabled() || dragging_)
        return;
    checkTimer_.stop();
    mouseInControl_ = false;
    if (look_ == slHot)
        SetLook(slUp);
    else if (look_ == slPressedHot)
        SetLook(slLatched);
}

void TShineSpeedButton::CheckMouseTick() {
    if (isEnabled() && mouseInControl_ && !dragging_) {
        if (!CursorWithin()) {
            const QPoint p = mapFromGlobal(QCursor::pos());
            emit OnMouseLeave(QGuiApplication::keyboardModifiers(), p.x(), p.y());
            MouseLeft();
        }
        return;
    }
    checkTimer_.stop();
}

void TShineSpeedButton::RetestMouseOver() {
    if (!isEnabled())
        return;
    if (CursorWithin()) {
        if (QWidget::mouseGrabber() != nullptr)
            return;
        mouseInControl_ = true;
        SetLook(RestingLook());
        checkTimer_.start();
    } else {
        checkTimer_.stop();
        mouseInControl_ = false;
        SetLook(RestingLook());
    }
}

void TShineSpeedButton::Click() {
    QPointer<TShineSpeedButton> self(this);
    if (!clickDownHook_) {
        emit OnClick();
        return;
    }
    const TShineLook saved = look_;
    SetLook(slPressedHot);
    repaint();
    emit OnClick();
    if (self)
        SetLook(saved);
}

void TShineSpeedButton::UpdateShortcut() {
    if (shortcutId_ != 0)
        releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    const QKeySequence seq = QKeySequence::mnemonic(caption_);
    if (!seq.isEmpty())
        shortcutId_ = grabShortcut(seq);
}

bool TShineSpeedButton::event(QEvent* e) {
    if (e->type() == QEvent::Shortcut) {
        auto* se = static_cast<QShortcutEvent*>(e);
        if (se->shortcutId() == shortcutId_ && isEnabled() && isVisible() &&
            (parentWidget() == nullptr || parentWidget()->isVisible())) {
            if (accelCharDown_)
                setDown(!down_);
            Click();
        }
        return true;
    }
    return QWidget::event(e);
}

void TShineSpeedButton::changeEvent(QEvent* e) {
    switch (e->type()) {
    case QEvent::EnabledChange:
        down_ = false;
        dragging_ = false;
        if (!isEnabled()) {
            checkTimer_.stop();
            mouseInControl_ = false;
        }
        look_ = isEnabled() ? slUp : slDisabled;
        Invalidate();
        RetestMouseOver();
        break;
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        Invalidate();
        break;
    default:
        break;
    }
    QWidget::changeEvent(e);
}

void TShineSpeedButton::enterEvent(QEnterEvent* e) {
    const QPoint p = e->position().toPoint();
    emit OnMouseEnter(QGuiApplication::keyboardModifiers(), p.x(), p.y());
    MouseEntered();
}

void TShineSpeedButton::leaveEvent(QEvent*) {
    const QPoint p = mapFromGlobal(QCursor::pos());
    emit OnMouseLeave(QGuiApplication::keyboardModifiers(), p.x(), p.y());
    MouseLeft();
}

void TShineSpeedButton::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit OnMouseDown(e->button(), e->modifiers(), p.x(), p.y());
    if (e->button() == Qt::LeftButton && isEnabled()) {
        SetLook(slPressedHot);
        dragging_ = true;
    }
}

void TShineSpeedButton::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit OnMouseMove(e->modifiers(), p.x(), p.y());
    if (!dragging_)
        return;
    const bool inside = p.x() > 0 && p.x() < width() && p.y() > 0 && p.y() < height();
    SetLook(inside ? slPressedHot : down_ ? slLatched : slUp);
}

void TShineSpeedButton::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit OnMouseUp(e->button(), e->modifiers(), p.x(), p.y());
    if (!dragging_ || e->button() != Qt::LeftButton)
        return;
    QPointer<TShineSpeedButton> self(this);
    const bool inside = p.x() >= 0 && p.x() < width() && p.y() >= 0 && p.y() < height();
    if (groupIndex_ == 0) {
        down_ = false;
        SetLook(slUp);
    } else if (inside) {
        setDown(!down_);
        SetLook(down_ ? slPressedHot : slHot);
    } else {
        SetLook(down_ ? slPressedHot : slHot);
    }
    dragging_ = false;
    if (inside)
        Click();
    if (self)
        RetestMouseOver();
}

void TShineSpeedButton::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e);
    if (down_)
        emit OnDblClick();
}

void TShineSpeedButton::resizeEvent(QResizeEvent* e) {
    Invalidate();
    QWidget::resizeEvent(e);
}

void TShineSpeedButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, Picture());
}

QImage TShineSpeedButton::Picture() {
    if (dirty_ || picture_.size() != size())
        Render();
    return picture_;
}

void TShineSpeedButton::Render() {
    dirty_ = false;
    const int W = std::max(0, width()), H = std::max(0, height());
    QImage img(W, H, transparent_ ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const QPalette& pal = palette();
    auto resolve = [&pal](TColor c) { return ResolveColor(c, pal); };
    auto qrgb = [&](TColor c) { return ToQRgb(resolve(c)); };

    const bool pressed = look_ == slPressedHot || look_ == slLatched;
    const bool hot = look_ == slPressedHot || look_ == slHot;
    const bool disabled = look_ == slDisabled;
    const TShineBtnColors& set = pressed ? pressedColors_ : colors_;

    // 1. Face.
    if (transparent_) {
        img.fill(Qt::transparent);
    } else if (set.Gradation()) {
        const TColor c0 = resolve(set.Color()), c1 = resolve(set.GradColor());
        for (int y = 0; y < H; ++y) {
            auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < W; ++x) {
                const int step = set.GradVertical() ? FaceStep(y, H) : FaceStep(x, W);
                row[x] = ToQRgb(GradientStep(c0, c1, step));
            }
        }
    } else {
        img.fill(qrgb(set.Color()));
    }

    // 2. Glyph and caption block.
    QFont f = hot ? activeFont_ : font();
    f.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics fm(f);
    const QSize ts = caption_.isEmpty() ? QSize() : fm.size(Qt::TextShowMnemonic, caption_);
    const ButtonBlock block = LayoutButton(W, H, glyph_.width(), glyph_.height(), ts.width(),
                                           ts.height(), layout_, margin_, spacing_);
    const int shift = pressed ? 1 : 0;

    // 3. Glyph.
    if (!glyph_.isNull()) {
        const GlyphPixels g = ToGlyphPixels(glyph_);
        const int gx = block.glyphX + shift, gy = block.glyphY + shift;
        if (disabled && disabledImage_ == diDefault) {
            const std::vector<bool> mask = EdgeMask(g);
            auto drawMask = [&](int ox, int oy, QRgb c) {
                for (int y = 0; y < g.h; ++y)
                    for (int x = 0; x < g.w; ++x)
                        if (mask[std::size_t(y * g.w + x)])
                            SetPixelClipped(img, ox + x, oy + y, c);
            };
            drawMask(gx + 1, gy + 1, qrgb(disabledHighlight_));
            drawMask(gx, gy, qrgb(disabledShadow_));
        } else {
            const GlyphPixels shown =
                disabled ? DisabledGlyph(g, disabledImage_, resolve(colors_.Color()))
                : hot    ? HotGlyph(g, activeImage_, resolve(shineColor_))
                         : g;
            const TColor t = g.transparent();
            for (int y = 0; y < shown.h; ++y)
                for (int x = 0; x < shown.w; ++x)
                    if (shown.at(x, y) != t)
                        SetPixelClipped(img, gx + x, gy + y, ToQRgb(shown.at(x, y)));
        }
    }

    // 4. Caption.
    if (!caption_.isEmpty()) {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(f);
        const QRect r(block.text.x + shift, block.text.y + shift, block.text.w, block.text.h);
        const int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
        auto copy = [&](int dx, int dy, TColor c) {
            p.setPen(ToQColor(c, pal));
            p.drawText(r.translated(dx, dy), flags, caption_);
        };
        if (!disabled) {
            if (fontShadow_ != clNone)
                copy(1, 1, fontShadow_);
            if (fontHighlight_ != clNone)
                copy(-1, -1, fontHighlight_);
            copy(0, 0, hot ? activeFontColor_ : fontColor_);
        } else {
            copy(1, 1, disabledHighlight_);
            copy(0, 0, disabledShadow_);
        }
    }

    // 5. Frame.
    const bool pressedFrame =
        (look_ == slLatched && downFrame_) || (look_ == slPressedHot && activeFrame_);
    const bool raisedFrame =
        ((look_ == slUp || look_ == slDisabled) && upFrame_) || (look_ == slHot && activeFrame_);
    if (pressedFrame || raisedFrame) {
        const TShineBtnColors& fs = pressedFrame ? pressedColors_ : colors_;
        for (const FrameLine& l : FrameLines(frameType_, pressedFrame, W, H)) {
            const TColor ink = l.ink == FrameInk::Shadow       ? fs.Shadow()
                               : l.ink == FrameInk::DarkShadow ? fs.DarkShadow()
                                                               : fs.Highlight();
            DrawLineTo(img, l.x0, l.y0, l.x1, l.y1, qrgb(ink));
        }
        if (frameType_ == ftEnclosedFrame) {
            const QRgb c = qrgb(colors_.DarkShadow());
            DrawLineTo(img, 0, 0, W, 0, c);
            DrawLineTo(img, 0, H - 1, W, H - 1, c);
            DrawLineTo(img, 0, 0, 0, H, c);
            DrawLineTo(img, W - 1, 0, W - 1, H, c);
        }
    }
    picture_ = std::move(img);
}

} // namespace cadenzo
