#pragma once

// TShadowLabel: a non-focusable label that can paint its background as a two-colour gradient
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
class TShadow : public ChangeNotifier {
public:
    TShadow(TColor color, int offsetLeft, int offsetTop)
        : color_(color), offsetLeft_(offsetLeft), offsetTop_(offsetTop) {}

    bool Visible() const { return visible_; }
    TColor Color() const { return color_; }
    int OffsetLeft() const { return offsetLeft_; }
    int OffsetTop() const { return offsetTop_; }
    void setVisible(bool v) { Set(visible_, v); }
    void setColor(TColor v) { Set(color_, v); }
    void setOffsetLeft(int v) { Set(offsetLeft_, v); }
    void setOffsetTop(int v) { Set(offsetTop_, v); }

private:
    bool visible_ = true;
    TColor color_;
    int offsetLeft_, offsetTop_;
};

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TShadowLabel : public QWidget {
    Q_OBJECT
public:
    explicit TShadowLabel(QWidget* parent = nullptr);
    ~TShadowLabel() override;

    // The ordinary label's settings.
    QString Caption() const { return caption_; }
    void setCaption(const QString& v);
    // Fits the label to its text whenever the caption or the font changes. Off by default,
    // since Cadenzo's labels are placed with fixed sizes (the background fills the window).
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool v);
    TAlignment Alignment() const { return alignment_; }
    void setAlignment(TAlignment v) { Set(alignment_, v); }
    TTextLayout Layout() const { return layout_; }
    void setLayout(TTextLayout v) { Set(layout_, v); }
    bool WordWrap() const { return wordWrap_; }
    void setWordWrap(bool v) { Set(wordWrap_, v); }
    bool ShowAccelChar() const { return showAccelChar_; }
    void setShowAccelChar(bool v) { Set(showAccelChar_, v); }
    bool Transparent() const { return transparent_; }
    void setTransparent(bool v);
    TColor Color() const { return color_; }
    void setColor(TColor v) { Set(color_, v); }
    // Font is the widget's font; its colour is kept as a colour number beside it.
    TColor FontColor() const { return fontColor_; }
    void setFontColor(TColor v) { Set(fontColor_, v); }

    bool Gradation() const { return gradation_; }
    void setGradation(bool v) { Set(gradation_, v); }
    bool GradateVert() const { return gradateVert_; }
    void setGradateVert(bool v) { Set(gradateVert_, v); }
    TColor GradationColor() const { return gradationColor_; }
    void setGradationColor(TColor v) { Set(gradationColor_, v); }
    bool Flickerless() const { return flickerless_; }
    void setFlickerless(bool v);
    TShadow& Shadow() { return shadow_; }
    TShadow& Highlight() { return highlight_; }
    TEllipsis Ellipsis() const { return ellipsis_; }
    void setEllipsis(TEllipsis v) { Set(ellipsis_, v); }
    TTextGradation TextGradation() const { return textGradation_; }
    void setTextGradation(TTextGradation v) { Set(textGradation_, v); }
    TColor TextGradationColor() const { return textGradationColor_; }
    void setTextGradationColor(TColor v) { Set(textGradationColor_, v); }
    TColor TextMidColor() const { return textMidColor_; }
    void setTextMidColor(TColor v) { Set(textMidColor_, v); }

    // The label's picture as paintEvent puts it on screen; transparent where no background is
    // painted.
    QImage Picture() const;

signals:
    void OnClick();
    void OnDblClick();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

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
    bool UsesOffscreenBitmap() const { return flickerless_ && !transparent_; }
    void UpdateOpacity();
    void FitToText();
    QString DrawnText() const;
    int TextFlags() const;
    // Draws the whole label; viaStrip computes the gradient on a strip and stretches it, as the
    // direct (not off-screen) drawing does.
    void PaintTo(QPainter& p, bool viaStrip) const;

    QString caption_;
    bool autoSize_ = false;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    bool transparent_ = false;
    TColor color_ = clBtnFace;
    TColor fontColor_ = clWindowText;
    bool gradation_ = false;
    bool gradateVert_ = false;
    TColor gradationColor_ = clBlue;
    bool flickerless_ = true;
    TShadow shadow_{clSilver, 1, 1};
    TShadow highlight_{clWhite, -1, -1};
    TEllipsis ellipsis_ = elNone;
    TTextGradation textGradation_ = tgNone;
    TColor textGradationColor_ = clMaroon;
    TColor textMidColor_ = clNavy;
    bool pressed_ = false;
};

} // namespace cadenzo
