#pragma once

// ShadowLabel: a non-focusable label that can paint its background as a two-colour gradient
// and draws its caption with an optional shadow copy, highlight copy and per-character colour
// gradation.

#include <QImage>
#include <QWidget>
#include <functional>

#include "controls/change_notifier.h"
#include "controls/color_number.h"
#include "controls/control_geometry.h"

namespace cadenzo {

// Settings of one text copy (shadow or highlight); changing any of them repaints the label.
class ShadowColors : public ChangeNotifier {
public:
    ShadowColors(PackedColor color, int offsetLeft, int offsetTop)
        : color_(color), offsetLeft_(offsetLeft), offsetTop_(offsetTop) {}

    bool visible() const { return visible_; }
    PackedColor color() const { return color_; }
    int offsetLeft() const { return offsetLeft_; }
    int offsetTop() const { return offsetTop_; }
    void setVisible(bool v) { Set(visible_, v); }
    void setColor(PackedColor v) { Set(color_, v); }
    void setOffsetLeft(int v) { Set(offsetLeft_, v); }
    void setOffsetTop(int v) { Set(offsetTop_, v); }

private:
    bool visible_ = true;
    PackedColor color_;
    int offsetLeft_, offsetTop_;
};

enum class TextAlignment { Left, Right, Center };

class ShadowLabel : public QWidget {
    Q_OBJECT
public:
    explicit ShadowLabel(QWidget* parent = nullptr);
    ~ShadowLabel() override;

    // The ordinary label's settings.
    QString caption() const { return caption_; }
    void setCaption(const QString& v);
    // Fits the label to its text whenever the caption or the font changes. Off by default,
    // since Cadenzo's labels are placed with fixed sizes (the background fills the window).
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool v);
    TextAlignment alignment() const { return alignment_; }
    void setAlignment(TextAlignment v) { Set(alignment_, v); }
    TextLayout layout() const { return layout_; }
    void setLayout(TextLayout v) { Set(layout_, v); }
    bool wordWrap() const { return wordWrap_; }
    void setWordWrap(bool v) { Set(wordWrap_, v); }
    bool showAccelChar() const { return showAccelChar_; }
    void setShowAccelChar(bool v) { Set(showAccelChar_, v); }
    bool transparent() const { return transparent_; }
    void setTransparent(bool v);
    PackedColor color() const { return color_; }
    void setColor(PackedColor v) { Set(color_, v); }
    // Font is the widget's font; its colour is kept as a colour number beside it.
    PackedColor fontColor() const { return fontColor_; }
    void setFontColor(PackedColor v) { Set(fontColor_, v); }

    bool gradation() const { return gradation_; }
    void setGradation(bool v) { Set(gradation_, v); }
    bool gradateVert() const { return gradateVert_; }
    void setGradateVert(bool v) { Set(gradateVert_, v); }
    PackedColor gradationColor() const { return gradationColor_; }
    void setGradationColor(PackedColor v) { Set(gradationColor_, v); }
    bool flickerless() const { return flickerless_; }
    void setFlickerless(bool v);
    ShadowColors& Shadow() { return shadow_; }
    ShadowColors& Highlight() { return highlight_; }
    EllipsisStyle ellipsis() const { return ellipsis_; }
    void setEllipsis(EllipsisStyle v) { Set(ellipsis_, v); }
    GradationStyle textGradation() const { return textGradation_; }
    void setTextGradation(GradationStyle v) { Set(textGradation_, v); }
    PackedColor textGradationColor() const { return textGradationColor_; }
    void setTextGradationColor(PackedColor v) { Set(textGradationColor_, v); }
    PackedColor textMidColor() const { return textMidColor_; }
    void setTextMidColor(PackedColor v) { Set(textMidColor_, v); }

    // The label's picture as paintEvent puts it on screen; transparent where no background is
    // painted.
    QImage picture() const;

signals:
    void clicked();
    void doubleClicked();
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void mouseMoved(Qt::KeyboardModifiers shift, int x, int y);
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    template <class T> void Set(T& field, const T& v) {
        if (field == v)
            return;
        field = v;
        update();
    }
    bool usesOffscreenBitmap() const { return flickerless_ && !transparent_; }
    void updateOpacity();
    void fitToText();
    QString drawnText() const;
    int textFlags() const;
    // Draws the whole label; viaStrip computes the gradient on a strip and stretches it, as the
    // direct (not off-screen) drawing does.
    void paintTo(QPainter& p, bool viaStrip) const;

    QString caption_;
    bool autoSize_ = false;
    TextAlignment alignment_ = TextAlignment::Left;
    TextLayout layout_ = TextLayout::Top;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    bool transparent_ = false;
    PackedColor color_ = clBtnFace;
    PackedColor fontColor_ = clWindowText;
    bool gradation_ = false;
    bool gradateVert_ = false;
    PackedColor gradationColor_ = clBlue;
    bool flickerless_ = true;
    ShadowColors shadow_{clSilver, 1, 1};
    ShadowColors highlight_{clWhite, -1, -1};
    EllipsisStyle ellipsis_ = EllipsisStyle::None;
    GradationStyle textGradation_ = GradationStyle::None;
    PackedColor textGradationColor_ = clMaroon;
    PackedColor textMidColor_ = clNavy;
    bool pressed_ = false;
};

} // namespace cadenzo
