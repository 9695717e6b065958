#include "controls/shadow_label.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/pixel_draw.h"
#include "controls/qt_color.h"

namespace cadenzo {

ShadowLabel::ShadowLabel(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    shadow_.changed = [this] { update(); };
    highlight_.changed = [this] { update(); };
    updateOpacity();
}

ShadowLabel::~ShadowLabel() {
    shadow_.changed = nullptr;
    highlight_.changed = nullptr;
}

void ShadowLabel::setCaption(const QString& v) {
    Set(caption_, v);
    fitToText();
}

void ShadowLabel::setAutoSize(bool v) {
    autoSize_ = v;
    fitToText();
}

QString ShadowLabel::drawnText() const {
    // An empty caption, or a lone accelerator mark, still gives the text one line's height.
    if (caption_.isEmpty() || (showAccelChar_ && caption_ == QLatin1String("&")))
        return caption_ + QLatin1Char(' ');
    return caption_;
}

int ShadowLabel::textFlags() const {
    int flags = alignment_ == TextAlignment::Right    ? Qt::AlignRight
                : alignment_ == TextAlignment::Center ? Qt::AlignHCenter
                                                      : Qt::AlignLeft;
    flags |= Qt::AlignTop | Qt::TextExpandTabs;
    if (wordWrap_)
        flags |= Qt::TextWordWrap;
    if (showAccelChar_)
        flags |= Qt::TextShowMnemonic;
    return flags;
}

void ShadowLabel::fitToText() {
    if (!autoSize_)
        return;
    QFont f = font();
    f.setStyleStrategy(QFont::NoAntialias);
    const QRect r = QFontMetrics(f).boundingRect(QRect(0, 0, wordWrap_ ? width() : 100000, 0),
                                                 textFlags(), drawnText());
    resize(wordWrap_ ? width() : r.width(), r.height());
}

void ShadowLabel::setTransparent(bool v) {
    Set(transparent_, v);
    updateOpacity();
}

void ShadowLabel::setFlickerless(bool v) {
    Set(flickerless_, v);
    updateOpacity();
}

void ShadowLabel::updateOpacity() {
    // A transparent label leaves its parent's picture where it draws no text.
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent_);
}

void ShadowLabel::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange || e->type() == QEvent::FontChange ||
        e->type() == QEvent::PaletteChange)
        update();
    if (e->type() == QEvent::FontChange)
        fitToText();
    QWidget::changeEvent(e);
}

QImage ShadowLabel::picture() const {
    QImage img = makePicture(size(), devicePixelRatioF(),
                             transparent_ ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    paintTo(p, !usesOffscreenBitmap());
    return img;
}

void ShadowLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (usesOffscreenBitmap())
        p.drawImage(0, 0, picture()); // composed off screen, copied in one step
    else
        paintTo(p, true);
}

void ShadowLabel::paintTo(QPainter& p, bool viaStrip) const {
    const int W = width(), H = height();
    const QPalette& pal = palette();
    auto resolve = [&pal](PackedColor c) { return resolveColor(c, pal); };
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);

    // 1., 2. Text and its flags.
    QString text = drawnText();
    const int flags = textFlags();

    QFont f = font();
    f.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics fm(f);
    if (ellipsis_ != EllipsisStyle::None && !wordWrap_ && fm.horizontalAdvance(text) > W)
        text =
            fm.elidedText(text, ellipsis_ == EllipsisStyle::End ? Qt::ElideRight : Qt::ElideMiddle,
                          W, flags & Qt::TextShowMnemonic);

    // 4. Background.
    if (!transparent_ && W > 0 && H > 0) {
        if (!gradation_) {
            p.fillRect(0, 0, W, H, toQColor(color_, pal));
        } else {
            // A single row (or column) has no run to spread over: it shows gradationColor.
            const PackedColor top = resolve(gradationColor_), bottom = resolve(color_);
            const int n = gradateVert_ ? H : W;
            const int stripW = gradateVert_ ? 1 : W;
            const int stripH = gradateVert_ ? H : (viaStrip ? H / 20 + 1 : H);
            QImage strip(viaStrip ? stripW : W, stripH, QImage::Format_RGB32);
            for (int y = 0; y < strip.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(strip.scanLine(y));
                for (int x = 0; x < strip.width(); ++x)
                    row[x] = toQRgb(blendRounded(top, bottom, gradateVert_ ? y : x, n));
            }
            p.drawImage(QRect(0, 0, W, H), strip);
        }
    }

    // 5., 6. Font and text rectangle.
    p.setFont(f);
    const int textHeight = fm.boundingRect(QRect(0, 0, W, H), flags, text).height();
    const QRect r(0, textTopOffset(layout_, H, textHeight), W, H);

    // 7. Colours.
    const bool enabled = isEnabled();
    const PackedColor shadowColor = enabled ? shadow_.color() : clGray;
    const PackedColor highlightColor = enabled ? highlight_.color() : clBtnHighlight;
    const PackedColor textColor = resolve(enabled ? fontColor_ : clBtnShadow);

    // 8. Shadow and highlight copies.
    if (shadow_.visible()) {
        p.setPen(toQColor(shadowColor, pal));
        p.drawText(r.translated(shadow_.offsetLeft(), shadow_.offsetTop()), flags, text);
    }
    if (highlight_.visible()) {
        p.setPen(toQColor(highlightColor, pal));
        p.drawText(r.translated(highlight_.offsetLeft(), highlight_.offsetTop()), flags, text);
    }

    // 9. The text itself; a disabled label shows it in one colour.
    const std::string utf8 = text.toStdString();
    if (textGradation_ == GradationStyle::None || !enabled || characterCount(utf8) <= 1) {
        p.setPen(toQColor(textColor, pal));
        p.drawText(r, flags, text);
        return;
    }
    const std::vector<PackedColor> colors = characterColors(
        utf8, textGradation_, textColor, resolve(textMidColor_), resolve(textGradationColor_));
    int x = r.left();
    std::size_t ci = 0;
    for (qsizetype i = 0; i < text.size() && ci < colors.size(); ++ci) {
        // A surrogate pair is one character.
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, len);
        i += len;
        p.setPen(toQColor(colors[ci], pal));
        p.drawText(QRect(x, r.top(), W, H), Qt::AlignLeft | Qt::AlignTop, ch);
        x += fm.horizontalAdvance(ch);
    }
}

void ShadowLabel::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    pressed_ = e->button() == Qt::LeftButton;
    emit mousePressed(e->button(), e->modifiers(), p.x(), p.y());
}

void ShadowLabel::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit mouseMoved(e->modifiers(), p.x(), p.y());
}

void ShadowLabel::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit mouseReleased(e->button(), e->modifiers(), p.x(), p.y());
    if (pressed_ && e->button() == Qt::LeftButton && rect().contains(p))
        emit clicked();
    pressed_ = false;
}

void ShadowLabel::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e);
    emit doubleClicked();
}

} // namespace cadenzo
