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

constexpr int CHECK_INTERVAL = 200; // ms between checks that the mouse is still over the button

GlyphPixels toGlyphPixels(const QImage& img) {
    GlyphPixels g;
    g.w = img.width();
    g.h = img.height();
    g.px.resize(std::size_t(g.w) * std::size_t(g.h));
    for (int y = 0; y < g.h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < g.w; ++x)
            g.at(x, y) = fromQRgb(row[x]);
    }
    return g;
}

// A glyph pixel is a logical pixel: on a high-DPI screen it covers whole device pixels.
void setPixelClipped(QImage& img, int x, int y, QRgb c) {
    fillBox(img, x, y, x + 1, y + 1, c);
}

} // namespace

ShineSpeedButton::ShineSpeedButton(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    activeFont_ = font();
    colors_.changed = [this] { invalidate(); };
    pressedColors_.changed = [this] { invalidate(); };
    checkTimer_.setInterval(CHECK_INTERVAL);
    connect(&checkTimer_, &QTimer::timeout, this, &ShineSpeedButton::checkMouseTick);
    resize(25, 25);
}

ShineSpeedButton::~ShineSpeedButton() {
    // The colour sets may outlive a repaint request only through these callbacks.
    colors_.changed = nullptr;
    pressedColors_.changed = nullptr;
}

void ShineSpeedButton::setCaption(const QString& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    updateShortcut();
    invalidate();
}

void ShineSpeedButton::setGroupIndex(int v) {
    groupIndex_ = v;
    if (v == 0 && down_) {
        down_ = false;
        setLook(restingLook());
    }
}

void ShineSpeedButton::setDown(bool v) {
    if (groupIndex_ == 0 || v == down_)
        return;
    if (down_ && !allowAllUp_)
        return; // only another member going down releases it
    down_ = v;
    if (v && parentWidget()) {
        const auto siblings =
            parentWidget()->findChildren<ShineSpeedButton*>(Qt::FindDirectChildrenOnly);
        for (ShineSpeedButton* b : siblings) {
            if (b == this || b->groupIndex_ != groupIndex_ || !b->down_)
                continue;
            b->down_ = false;
            b->allowAllUp_ = allowAllUp_;
            b->setLook(b->restingLook());
        }
    }
    setLook(restingLook());
}

void ShineSpeedButton::setTransparent(bool v) {
    setAttribute(Qt::WA_OpaquePaintEvent, !v);
    Set(transparent_, v);
}

void ShineSpeedButton::setActiveFont(const QFont& f) {
    activeFont_ = f;
    invalidate();
}

void ShineSpeedButton::setGlyph(const QImage& glyph) {
    glyph_ = glyph.isNull() ? QImage() : glyph.convertToFormat(QImage::Format_RGB32);
    invalidate();
}

void ShineSpeedButton::invalidate() {
    dirty_ = true;
    update();
}

void ShineSpeedButton::setLook(ShineLook look) {
    if (look == look_)
        return;
    look_ = look;
    invalidate();
}

ShineLook ShineSpeedButton::restingLook() const {
    if (!isEnabled())
        return ShineLook::Disabled;
    if (down_)
        return mouseInControl_ ? ShineLook::PressedHot : ShineLook::Latched;
    return mouseInControl_ ? ShineLook::Hot : ShineLook::Up;
}

bool ShineSpeedButton::cursorWithin() const {
    return isVisible() && rect().contains(mapFromGlobal(QCursor::pos()));
}

void ShineSpeedButton::mouseEntered() {
    if (!isEnabled() || mouseInControl_ || QWidget::mouseGrabber() != nullptr)
        return;
    mouseInControl_ = true;
    if (look_ == ShineLook::Up)
        setLook(ShineLook::Hot);
    else if (look_ == ShineLook::Latched)
        setLook(ShineLook::PressedHot);
    checkTimer_.start();
}

void ShineSpeedButton::mouseLeft() {
    if (!mouseInControl_ || !isEnabled() || dragging_)
        return;
    checkTimer_.stop();
    mouseInControl_ = false;
    if (look_ == ShineLook::Hot)
        setLook(ShineLook::Up);
    else if (look_ == ShineLook::PressedHot)
        setLook(ShineLook::Latched);
}

void ShineSpeedButton::checkMouseTick() {
    if (isEnabled() && mouseInControl_ && !dragging_) {
        if (!cursorWithin()) {
            const QPoint p = mapFromGlobal(QCursor::pos());
            emit pointerLeft(QGuiApplication::keyboardModifiers(), p.x(), p.y());
            mouseLeft();
        }
        return;
    }
    checkTimer_.stop();
}

void ShineSpeedButton::retestMouseOver() {
    if (!isEnabled())
        return;
    if (cursorWithin()) {
        if (QWidget::mouseGrabber() != nullptr)
            return;
        mouseInControl_ = true;
        setLook(restingLook());
        checkTimer_.start();
    } else {
        checkTimer_.stop();
        mouseInControl_ = false;
        setLook(restingLook());
    }
}

void ShineSpeedButton::click() {
    QPointer<ShineSpeedButton> self(this);
    if (!clickDownHook_) {
        emit clicked();
        return;
    }
    const ShineLook saved = look_;
    setLook(ShineLook::PressedHot);
    repaint();
    emit clicked();
    if (self)
        setLook(saved);
}

void ShineSpeedButton::updateShortcut() {
    if (shortcutId_ != 0)
        releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    const QKeySequence seq = QKeySequence::mnemonic(caption_);
    if (!seq.isEmpty())
        shortcutId_ = grabShortcut(seq);
}

bool ShineSpeedButton::event(QEvent* e) {
    if (e->type() == QEvent::Shortcut) {
        auto* se = static_cast<QShortcutEvent*>(e);
        if (se->shortcutId() == shortcutId_ && isEnabled() && isVisible() &&
            (parentWidget() == nullptr || parentWidget()->isVisible())) {
            if (accelCharDown_)
                setDown(!down_);
            click();
        }
        return true;
    }
    return QWidget::event(e);
}

void ShineSpeedButton::changeEvent(QEvent* e) {
    switch (e->type()) {
    case QEvent::EnabledChange:
        down_ = false;
        dragging_ = false;
        if (!isEnabled()) {
            checkTimer_.stop();
            mouseInControl_ = false;
        }
        look_ = isEnabled() ? ShineLook::Up : ShineLook::Disabled;
        invalidate();
        retestMouseOver();
        break;
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        invalidate();
        break;
    default:
        break;
    }
    QWidget::changeEvent(e);
}

void ShineSpeedButton::enterEvent(QEnterEvent* e) {
    const QPoint p = e->position().toPoint();
    emit pointerEntered(QGuiApplication::keyboardModifiers(), p.x(), p.y());
    mouseEntered();
}

void ShineSpeedButton::leaveEvent(QEvent*) {
    const QPoint p = mapFromGlobal(QCursor::pos());
    emit pointerLeft(QGuiApplication::keyboardModifiers(), p.x(), p.y());
    mouseLeft();
}

void ShineSpeedButton::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit mousePressed(e->button(), e->modifiers(), p.x(), p.y());
    if (e->button() == Qt::LeftButton && isEnabled()) {
        setLook(ShineLook::PressedHot);
        dragging_ = true;
    }
}

void ShineSpeedButton::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit mouseMoved(e->modifiers(), p.x(), p.y());
    if (!dragging_)
        return;
    const bool inside = p.x() > 0 && p.x() < width() && p.y() > 0 && p.y() < height();
    setLook(inside ? ShineLook::PressedHot : down_ ? ShineLook::Latched : ShineLook::Up);
}

void ShineSpeedButton::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit mouseReleased(e->button(), e->modifiers(), p.x(), p.y());
    if (!dragging_ || e->button() != Qt::LeftButton)
        return;
    QPointer<ShineSpeedButton> self(this);
    const bool inside = p.x() >= 0 && p.x() < width() && p.y() >= 0 && p.y() < height();
    if (groupIndex_ == 0) {
        down_ = false;
        setLook(ShineLook::Up);
    } else if (inside) {
        setDown(!down_);
        setLook(down_ ? ShineLook::PressedHot : ShineLook::Hot);
    } else {
        setLook(down_ ? ShineLook::PressedHot : ShineLook::Hot);
    }
    dragging_ = false;
    if (inside)
        click();
    if (self)
        retestMouseOver();
}

void ShineSpeedButton::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e);
    if (down_)
        emit doubleClicked();
}

void ShineSpeedButton::resizeEvent(QResizeEvent* e) {
    invalidate();
    QWidget::resizeEvent(e);
}

void ShineSpeedButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, picture());
}

QImage ShineSpeedButton::picture() {
    if (dirty_ || logicalSize(picture_) != size() ||
        picture_.devicePixelRatio() != devicePixelRatioF())
        render();
    return picture_;
}

void ShineSpeedButton::render() {
    dirty_ = false;
    const int W = std::max(0, width()), H = std::max(0, height());
    QImage img = makePicture({W, H}, devicePixelRatioF(),
                             transparent_ ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const QPalette& pal = palette();
    auto resolve = [&pal](PackedColor c) { return resolveColor(c, pal); };
    auto qrgb = [&](PackedColor c) { return toQRgb(resolve(c)); };

    const bool pressed = look_ == ShineLook::PressedHot || look_ == ShineLook::Latched;
    const bool hot = look_ == ShineLook::PressedHot || look_ == ShineLook::Hot;
    const bool disabled = look_ == ShineLook::Disabled;
    const ShineButtonColors& set = pressed ? pressedColors_ : colors_;

    // 1. Face.
    if (transparent_) {
        img.fill(Qt::transparent);
    } else if (set.gradation()) {
        // One step per logical row (or column), whatever the screen's ratio.
        const PackedColor c0 = resolve(set.color()), c1 = resolve(set.gradColor());
        const int steps = set.gradVertical() ? H : W;
        for (int i = 0; i < steps; ++i) {
            const QRgb c = toQRgb(gradientStep(c0, c1, faceStep(i, steps)));
            if (set.gradVertical())
                fillBox(img, 0, i, W, i + 1, c);
            else
                fillBox(img, i, 0, i + 1, H, c);
        }
    } else {
        img.fill(qrgb(set.color()));
    }

    // 2. Glyph and caption block.
    QFont f = hot ? activeFont_ : font();
    f.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics fm(f);
    const QSize ts = caption_.isEmpty() ? QSize() : fm.size(Qt::TextShowMnemonic, caption_);
    const ButtonBlock block = layoutButton(W, H, glyph_.width(), glyph_.height(), ts.width(),
                                           ts.height(), layout_, margin_, spacing_);
    const int shift = pressed ? 1 : 0;

    // 3. Glyph.
    if (!glyph_.isNull()) {
        const GlyphPixels g = toGlyphPixels(glyph_);
        const int gx = block.glyphX + shift, gy = block.glyphY + shift;
        if (disabled && disabledImage_ == DisabledImageStyle::Default) {
            const std::vector<bool> mask = edgeMask(g);
            auto drawMask = [&](int ox, int oy, QRgb c) {
                for (int y = 0; y < g.h; ++y)
                    for (int x = 0; x < g.w; ++x)
                        if (mask[std::size_t(y * g.w + x)])
                            setPixelClipped(img, ox + x, oy + y, c);
            };
            drawMask(gx + 1, gy + 1, qrgb(disabledHighlight_));
            drawMask(gx, gy, qrgb(disabledShadow_));
        } else {
            const GlyphPixels shown =
                disabled ? disabledGlyph(g, disabledImage_, resolve(colors_.color()))
                : hot    ? hotGlyph(g, activeImage_, resolve(shineColor_))
                         : g;
            const PackedColor t = g.transparent();
            for (int y = 0; y < shown.h; ++y)
                for (int x = 0; x < shown.w; ++x)
                    if (shown.at(x, y) != t)
                        setPixelClipped(img, gx + x, gy + y, toQRgb(shown.at(x, y)));
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
        auto copy = [&](int dx, int dy, PackedColor c) {
            p.setPen(toQColor(c, pal));
            p.drawText(r.translated(dx, dy), flags, caption_);
        };
        if (!disabled) {
            // A scheme whose face and caption colours are too close still gets a caption that
            // reads: its shadow takes black or white, whichever stands out from the face at the
            // end of the gradation nearer the caption's colour.
            PackedColor shadow = fontShadow_;
            const PackedColor ink = resolve(hot ? activeFontColor_ : fontColor_);
            PackedColor face = resolve(set.color());
            const PackedColor otherEnd = resolve(set.gradColor());
            if (set.gradation() && contrastRatio(otherEnd, ink) < contrastRatio(face, ink))
                face = otherEnd;
            if (!transparent_ && contrastRatio(face, ink) < MIN_TEXT_CONTRAST)
                shadow = standOutColor(face);
            if (shadow != clNone)
                copy(1, 1, shadow);
            if (fontHighlight_ != clNone)
                copy(-1, -1, fontHighlight_);
            copy(0, 0, hot ? activeFontColor_ : fontColor_);
        } else {
            copy(1, 1, disabledHighlight_);
            copy(0, 0, disabledShadow_);
        }
    }

    // 5. Frame.
    const bool pressedFrame = (look_ == ShineLook::Latched && downFrame_) ||
                              (look_ == ShineLook::PressedHot && activeFrame_);
    const bool raisedFrame =
        ((look_ == ShineLook::Up || look_ == ShineLook::Disabled) && upFrame_) ||
        (look_ == ShineLook::Hot && activeFrame_);
    if (pressedFrame || raisedFrame) {
        const ShineButtonColors& fs = pressedFrame ? pressedColors_ : colors_;
        for (const FrameLine& l : frameLines(frameType_, pressedFrame, W, H)) {
            const PackedColor ink = l.ink == FrameInk::Shadow       ? fs.Shadow()
                                    : l.ink == FrameInk::DarkShadow ? fs.DarkShadow()
                                                                    : fs.Highlight();
            drawLineTo(img, l.x0, l.y0, l.x1, l.y1, qrgb(ink));
        }
        if (frameType_ == FrameStyle::Enclosed) {
            const QRgb c = qrgb(colors_.DarkShadow());
            drawLineTo(img, 0, 0, W, 0, c);
            drawLineTo(img, 0, H - 1, W, H - 1, c);
            drawLineTo(img, 0, 0, 0, H, c);
            drawLineTo(img, W - 1, 0, W - 1, H, c);
        }
    }
    picture_ = std::move(img);
}

} // namespace cadenzo
