#include "controls/shadow_label.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/qt_color.h"

namespace cadenzo {

TShadowLabel::TShadowLabel(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    shadow_.OnChange = [this] { update(); };
    highlight_.OnChange = [this] { update(); };
    UpdateOpacity();
}

TShadowLabel::~TShadowLabel() {
    shadow_.OnChange = nullptr;
    highlight_.OnChange = nullptr;
}

void TShadowLabel::setCaption(const QString& v) {
    Set(caption_, v);
    FitToText();
}

void TShadowLabel::setAutoSize(bool v) {
    autoSize_ = v;
    FitToText();
}

QString TShadowLabel::DrawnText() const {
    // An empty caption, or a lone accelerator mark, still gives the text one line's height.
    if (caption_.isEmpty() || (showAccelChar_ && caption_ == QLatin1String("&")))
        return caption_ + QLatin1Char(' ');
    return caption_;
}

int TShadowLabel::TextFlags() const {
    int flags = alignment_ == taRightJustify ? Qt::AlignRight
                : alignment_ == taCenter     ? Qt::AlignHCenter
                                             : Qt::AlignLeft;
    flags |= Qt::AlignTop | Qt::TextExpandTabs;
    if (wordWrap_)
        flags |= Qt::TextWordWrap;
    if (showAccelChar_)
        flags |= Qt::TextShowMnemonic;
    return flags;
}

void TShadowLabel::FitToText() {
    if (!autoSize_)
        return;
    QFont f = font();
    f.setStyleStrategy(QFont::NoAntialias);
    const QRect r = QFontMetrics(f).boundingRect(QRect(0, 0, wordWrap_ ? width() : 100000, 0),
                                                 TextFlags(), DrawnText());
    resize(wordWrap_ ? width() : r.width(), r.height());
}

void TShadowLabel::setTransparent(bool v) {
    Set(transparent_, v);
    UpdateOpacity();
}

void TShadowLabel::setFlickerless(bool v) {
    Set(flickerless_, v);
    UpdateOpacity();
}

void TShadowLabel::UpdateOpacity() {
    // A transparent label leaves its parent's picture where it draws no text.
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent_);
}

void TShadowLabel::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange || e->type() == QEvent::FontChange ||
        e->type() == QEvent::PaletteChange)
        update();
    if (e->type() == QEvent::FontChange)
        FitToText();
    QWidget::changeEvent(e);
}

QImage TShadowLabel::Picture() const {
    QImage img(size(), transparent_ ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    PaintTo(p, !UsesOffscreenBitmap());
    return img;
}

void TShadowLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (UsesOffscreenBitmap())
        p.drawImage(0, 0, Picture()); // composed off screen, copied in one step
    else
        PaintTo(p, true);
}

void TShadowLabel::PaintTo(QPainter& p, bool viaStrip) const {
    const int W = width(), H = height();
    const QPalette& pal = palette();
    auto resolve = [&pal](TColor c) { return ResolveColor(c, pal); };
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);

    // 1., 2. Text and its flags.
    QString text = DrawnText();
    const int flags = TextFlags();

    QFont f = font();
    f.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics fm(f);
    if (ellipsis_ != elNone && !wordWrap_ && fm.horizontalAdvance(text) > W)
        text = fm.elidedText(text, ellipsis_ == elEnd ? Qt::ElideRight : Qt::ElideMiddle, W,
                             flags & Qt::TextShowMnemonic);

    // 4. Background.
    if (!transparent_ && W > 0 && H > 0) {
        if (!gradation_) {
            p.fillRect(0, 0, W, H, ToQColor(color_, pal));
        } else {
            // A single row (or column) has no run to spread over: it shows GradationColor.
            const TColor top = resolve(gradationColor_), bottom = resolve(color_);
            const int n = gradateVert_ ? H : W;
            const int stripW = gradateVert_ ? 1 : W;
            const int stripH = gradateVert_ ? H : (viaStrip ? H / 20 + 1 : H);
            QImage strip(viaStrip ? stripW : W, stripH, QImage::Format_RGB32);
            for (int y = 0; y < strip.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(strip.scanLine(y));
                for (int x = 0; x < strip.width(); ++x)
                    row[x] = ToQRgb(BlendRounded(top, bottom, gradateVert_ ? y : x, n));
            }
            p.drawImage(QRect(0, 0, W, H), strip);
        }
    }

    // 5., 6. Font and text rectangle.
    p.setFont(f);
    const int textHeight = fm.boundingRect(QRect(0, 0, W, H), flags, text).height();
    const QRect r(0, TextTopOffset(layout_, H, textHeight), W, H);

    // 7. Colours.
    const bool enabled = isEnabled();
    const TColor shadowColor = enabled ? shadow_.Color() : clGray;
    const TColor highlightColor = enabled ? highlight_.Color() : clBtnHighlight;
    const TColor textColor = resolve(enabled ? fontColor_ : clBtnShadow);

    // 8. Shadow and highlight copies.
    if (shadow_.Visible()) {
        p.setPen(ToQColor(shadowColor, pal));
        p.drawText(r.translated(shadow_.OffsetLeft(), shadow_.OffsetTop()), flags, text);
    }
    if (highlight_.Visible()) {
        p.setPen(ToQColor(highlightColor, pal));
        p.drawText(r.translated(highlight_.OffsetLeft(), highlight_.OffsetTop()), flags, text);
    }

    // 9. The text itself; a disabled label shows it in one colour.
    const std::string utf8 = text.toStdString();
    if (textGradation_ == tgNone || !enabled || CharacterCount(utf8) <= 1) {
        p.setPen(ToQColor(textColor, pal));
        p.drawText(r, flags, text);
        return;
    }
    const std::vector<TColor> colors = CharacterColors(
        utf8, textGradation_, textColor, resolve(textMidColor_), resolve(textGradationColor_));
    int x = r.left();
    std::size_t ci = 0;
    for (qsizetype i = 0; i < text.size() && ci < colors.size(); ++ci) {
        // A surrogate pair is one character.
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, len);
        i += len;
        p.setPen(ToQColor(colors[ci], pal));
        p.drawText(QRect(x, r.top(), W, H), Qt::AlignLeft | Qt::AlignTop, ch);
        x += fm.horizontalAdvance(ch);
    }
}

void TShadowLabel::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    pressed_ = e->button() == Qt::LeftButton;
    emit OnMouseDown(e->button(), e->modifiers(), p.x(), p.y());
}

void TShadowLabel::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit OnMouseMove(e->modifiers(), p.x(), p.y());
}

void TShadowLabel::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit OnMouseUp(e->button(), e->modifiers(), p.x(), p.y());
    if (pressed_ && e->button() == Qt::LeftButton && rect().contains(p))
        emit OnClick();
    pressed_ = false;
}

void TShadowLabel::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e);
    emit OnDblClick();
}

} // namespace cadenzo
