#pragma once

// TShineSpeedButton: a non-focusable owner-drawn push button with a gradient face, three frame
// styles, a hot look under the mouse, generated glyph looks, latching and groups. Every setting
// is a property; the picture is composed off screen and paintEvent only copies it.

#include <QFont>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "controls/change_notifier.h"
#include "controls/color_number.h"
#include "controls/control_geometry.h"

namespace cadenzo {

// One colour set of a button; changing any property repaints the owning button.
class TShineBtnColors : public ChangeNotifier {
public:
    explicit TShineBtnColors(TColor face) : color_(face) {}

    TColor Color() const { return color_; }
    TColor Highlight() const { return highlight_; }
    TColor Shadow() const { return shadow_; }
    TColor DarkShadow() const { return darkShadow_; }
    TColor GradColor() const { return gradColor_; }
    bool GradVertical() const { return gradVertical_; }
    bool Gradation() const { return gradation_; }

    void setColor(TColor v) { Set(color_, v); }
    void setHighlight(TColor v) { Set(highlight_, v); }
    void setShadow(TColor v) { Set(shadow_, v); }
    void setDarkShadow(TColor v) { Set(darkShadow_, v); }
    void setGradColor(TColor v) { Set(gradColor_, v); }
    void setGradVertical(bool v) { Set(gradVertical_, v); }
    void setGradation(bool v) { Set(gradation_, v); }

private:
    TColor color_;
    TColor highlight_ = clBtnHighlight;
    TColor shadow_ = clBtnShadow;
    TColor darkShadow_ = clWindowFrame;
    TColor gradColor_ = clBlue;
    bool gradVertical_ = false;
    bool gradation_ = false;
};

// The button's look.
enum TShineLook { slPressedHot, slLatched, slHot, slUp, slDisabled };

class TShineSpeedButton : public QWidget {
    Q_OBJECT
public:
    explicit TShineSpeedButton(QWidget* parent = nullptr);
    ~TShineSpeedButton() override;

    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);

    int GroupIndex() const { return groupIndex_; }
    void setGroupIndex(int v);
    bool Down() const { return down_; }
    void setDown(bool v);
    bool AllowAllUp() const { return allowAllUp_; }
    void setAllowAllUp(bool v) { allowAllUp_ = v; }
    bool ClickDownHook() const { return clickDownHook_; }
    void setClickDownHook(bool v) { clickDownHook_ = v; }
    bool AccelCharDown() const { return accelCharDown_; }
    void setAccelCharDown(bool v) { accelCharDown_ = v; }

    TFrameType FrameType() const { return frameType_; }
    void setFrameType(TFrameType v) { Set(frameType_, v); }
    bool UpFrame() const { return upFrame_; }
    void setUpFrame(bool v) { Set(upFrame_, v); }
    bool DownFrame() const { return downFrame_; }
    void setDownFrame(bool v) { Set(downFrame_, v); }
    bool ActiveFrame() const { return activeFrame_; }
    void setActiveFrame(bool v) { Set(activeFrame_, v); }
    bool Transparent() const { return transparent_; }
    void setTransparent(bool v);

    TActiveImageType ActiveImage() const { return activeImage_; }
    void setActiveImage(TActiveImageType v) { Set(activeImage_, v); }
    TDisabledImageType DisabledImage() const { return disabledImage_; }
    void setDisabledImage(TDisabledImageType v) { Set(disabledImage_, v); }
    TColor DisabledHighlight() const { return disabledHighlight_; }
    void setDisabledHighlight(TColor v) { Set(disabledHighlight_, v); }
    TColor DisabledShadow() const { return disabledShadow_; }
    void setDisabledShadow(TColor v) { Set(disabledShadow_, v); }

    TShineBtnColors& Colors() { return colors_; }
    const TShineBtnColors& Colors() const { return colors_; }
    TShineBtnColors& PressedColors() { return pressedColors_; }
    const TShineBtnColors& PressedColors() const { return pressedColors_; }
    TColor ShineColor() const { return shineColor_; }
    void setShineColor(TColor v) { Set(shineColor_, v); }

    // Font is the widget's font; its colour is kept as a colour number beside it.
    TColor FontColor() const { return fontColor_; }
    void setFontColor(TColor v) { Set(fontColor_, v); }
    QFont ActiveFont() const { return activeFont_; }
    void setActiveFont(const QFont& f);
    TColor ActiveFontColor() const { return activeFontColor_; }
    void setActiveFontColor(TColor v) { Set(activeFontColor_, v); }
    TColor FontHighlight() const { return fontHighlight_; }
    void setFontHighlight(TColor v) { Set(fontHighlight_, v); }
    TColor FontShadow() const { return fontShadow_; }
    void setFontShadow(TColor v) { Set(fontShadow_, v); }

    TButtonLayout Layout() const { return layout_; }
    void setLayout(TButtonLayout v) { Set(layout_, v); }
    int Margin() const { return margin_; }
    void setMargin(int v) { Set(margin_, v); }
    int Spacing() const { return spacing_; }
    void setSpacing(int v) { Set(spacing_, v); }
    QImage Glyph() const { return glyph_; }
    void setGlyph(const QImage& glyph);

    TShineLook Look() const { return look_; }
    bool MouseInControl() const { return mouseInControl_; }
    bool Dragging() const { return dragging_; }
    bool CheckTimerActive() const { return checkTimer_.isActive(); }

    // The composed picture of the current look (what paintEvent copies).
    QImage Picture();

    // Fires the click, with the pressed look while the handlers run when ClickDownHook is on.
    void Click();
    // One tick of the 200 ms check whether the mouse is still over the button.
    void CheckMouseTick();

signals:
    void OnClick();
    void OnDblClick();
    void OnMouseEnter(Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseLeave(Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    template <class T> void Set(T& field, T v) {
        if (field == v)
            return;
        field = v;
        Invalidate();
    }
    void Invalidate();
    void SetLook(TShineLook look);
    TShineLook RestingLook() const;
    void MouseEntered();
    void MouseLeft();
    void RetestMouseOver();
    bool CursorWithin() const;
    void UpdateShortcut();
    void Render();

    QString caption_;
    int groupIndex_ = 0;
    bool down_ = false;
    bool allowAllUp_ = false;
    bool clickDownHook_ = false;
    bool accelCharDown_ = false;
    TFrameType frameType_ = ftNormalFrame;
    bool upFrame_ = true;
    bool downFrame_ = true;
    bool activeFrame_ = true;
    bool transparent_ = false;
    TActiveImageType activeImage_ = aiFrameLight;
    TDisabledImageType disabledImage_ = diDefault;
    TColor disabledHighlight_ = clBtnHighlight;
    TColor disabledShadow_ = clBtnShadow;
    TShineBtnColors colors_{clBtnFace};
    TShineBtnColors pressedColors_{clBtnHighlight};
    TColor shineColor_ = clYellow;
    TColor fontColor_ = clBtnText;
    QFont activeFont_;
    TColor activeFontColor_ = clHighlight;
    TColor fontHighlight_ = clNone;
    TColor fontShadow_ = clNone;
    TButtonLayout layout_ = blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    QImage glyph_;

    TShineLook look_ = slUp;
    bool mouseInControl_ = false;
    bool dragging_ = false;
    QTimer checkTimer_;
    int shortcutId_ = 0;

    QImage picture_;
    bool dirty_ = true;
};

} // namespace cadenzo
