#pragma once

// ShineSpeedButton: a non-focusable owner-drawn push button with a gradient face, three frame
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
class ShineButtonColors : public ChangeNotifier {
public:
    explicit ShineButtonColors(PackedColor face) : color_(face) {}

    PackedColor color() const { return color_; }
    PackedColor Highlight() const { return highlight_; }
    PackedColor Shadow() const { return shadow_; }
    PackedColor DarkShadow() const { return darkShadow_; }
    PackedColor gradColor() const { return gradColor_; }
    bool gradVertical() const { return gradVertical_; }
    bool gradation() const { return gradation_; }

    void setColor(PackedColor v) { Set(color_, v); }
    void setHighlight(PackedColor v) { Set(highlight_, v); }
    void setShadow(PackedColor v) { Set(shadow_, v); }
    void setDarkShadow(PackedColor v) { Set(darkShadow_, v); }
    void setGradColor(PackedColor v) { Set(gradColor_, v); }
    void setGradVertical(bool v) { Set(gradVertical_, v); }
    void setGradation(bool v) { Set(gradation_, v); }

private:
    PackedColor color_;
    PackedColor highlight_ = clBtnHighlight;
    PackedColor shadow_ = clBtnShadow;
    PackedColor darkShadow_ = clWindowFrame;
    PackedColor gradColor_ = clBlue;
    bool gradVertical_ = false;
    bool gradation_ = false;
};

// The button's look.
enum class ShineLook { PressedHot, Latched, Hot, Up, Disabled };

class ShineSpeedButton : public QWidget {
    Q_OBJECT
public:
    explicit ShineSpeedButton(QWidget* parent = nullptr);
    ~ShineSpeedButton() override;

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);

    int groupIndex() const { return groupIndex_; }
    void setGroupIndex(int v);
    bool Down() const { return down_; }
    void setDown(bool v);
    bool allowAllUp() const { return allowAllUp_; }
    void setAllowAllUp(bool v) { allowAllUp_ = v; }
    bool clickDownHook() const { return clickDownHook_; }
    void setClickDownHook(bool v) { clickDownHook_ = v; }
    bool accelCharDown() const { return accelCharDown_; }
    void setAccelCharDown(bool v) { accelCharDown_ = v; }

    FrameStyle frameType() const { return frameType_; }
    void setFrameType(FrameStyle v) { Set(frameType_, v); }
    bool upFrame() const { return upFrame_; }
    void setUpFrame(bool v) { Set(upFrame_, v); }
    bool downFrame() const { return downFrame_; }
    void setDownFrame(bool v) { Set(downFrame_, v); }
    bool activeFrame() const { return activeFrame_; }
    void setActiveFrame(bool v) { Set(activeFrame_, v); }
    bool transparent() const { return transparent_; }
    void setTransparent(bool v);

    ActiveImageStyle activeImage() const { return activeImage_; }
    void setActiveImage(ActiveImageStyle v) { Set(activeImage_, v); }
    DisabledImageStyle disabledImage() const { return disabledImage_; }
    void setDisabledImage(DisabledImageStyle v) { Set(disabledImage_, v); }
    PackedColor disabledHighlight() const { return disabledHighlight_; }
    void setDisabledHighlight(PackedColor v) { Set(disabledHighlight_, v); }
    PackedColor disabledShadow() const { return disabledShadow_; }
    void setDisabledShadow(PackedColor v) { Set(disabledShadow_, v); }

    ShineButtonColors& colors() { return colors_; }
    const ShineButtonColors& colors() const { return colors_; }
    ShineButtonColors& pressedColors() { return pressedColors_; }
    const ShineButtonColors& pressedColors() const { return pressedColors_; }
    PackedColor shineColor() const { return shineColor_; }
    void setShineColor(PackedColor v) { Set(shineColor_, v); }

    // Font is the widget's font; its colour is kept as a colour number beside it.
    PackedColor fontColor() const { return fontColor_; }
    void setFontColor(PackedColor v) { Set(fontColor_, v); }
    QFont activeFont() const { return activeFont_; }
    void setActiveFont(const QFont& f);
    PackedColor activeFontColor() const { return activeFontColor_; }
    void setActiveFontColor(PackedColor v) { Set(activeFontColor_, v); }
    PackedColor fontHighlight() const { return fontHighlight_; }
    void setFontHighlight(PackedColor v) { Set(fontHighlight_, v); }
    PackedColor fontShadow() const { return fontShadow_; }
    void setFontShadow(PackedColor v) { Set(fontShadow_, v); }

    ButtonLayout layout() const { return layout_; }
    void setLayout(ButtonLayout v) { Set(layout_, v); }
    int margin() const { return margin_; }
    void setMargin(int v) { Set(margin_, v); }
    int spacing() const { return spacing_; }
    void setSpacing(int v) { Set(spacing_, v); }
    QImage glyph() const { return glyph_; }
    void setGlyph(const QImage& glyph);

    ShineLook look() const { return look_; }
    bool mouseInControl() const { return mouseInControl_; }
    bool dragging() const { return dragging_; }
    bool checkTimerActive() const { return checkTimer_.isActive(); }

    // The composed picture of the current look (what paintEvent copies).
    QImage picture();

    // Fires the click, with the pressed look while the handlers run when clickDownHook is on.
    void click();
    // One tick of the 200 ms check whether the mouse is still over the button.
    void checkMouseTick();

signals:
    void clicked();
    void doubleClicked();
    void pointerEntered(Qt::KeyboardModifiers shift, int x, int y);
    void pointerLeft(Qt::KeyboardModifiers shift, int x, int y);
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void mouseMoved(Qt::KeyboardModifiers shift, int x, int y);
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

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
        invalidate();
    }
    void invalidate();
    void setLook(ShineLook look);
    ShineLook restingLook() const;
    void mouseEntered();
    void mouseLeft();
    void retestMouseOver();
    bool cursorWithin() const;
    void updateShortcut();
    void render();

    QString caption_;
    int groupIndex_ = 0;
    bool down_ = false;
    bool allowAllUp_ = false;
    bool clickDownHook_ = false;
    bool accelCharDown_ = false;
    FrameStyle frameType_ = FrameStyle::Normal;
    bool upFrame_ = true;
    bool downFrame_ = true;
    bool activeFrame_ = true;
    bool transparent_ = false;
    ActiveImageStyle activeImage_ = ActiveImageStyle::FrameLight;
    DisabledImageStyle disabledImage_ = DisabledImageStyle::Default;
    PackedColor disabledHighlight_ = clBtnHighlight;
    PackedColor disabledShadow_ = clBtnShadow;
    ShineButtonColors colors_{clBtnFace};
    ShineButtonColors pressedColors_{clBtnHighlight};
    PackedColor shineColor_ = clYellow;
    PackedColor fontColor_ = clBtnText;
    QFont activeFont_;
    PackedColor activeFontColor_ = clHighlight;
    PackedColor fontHighlight_ = clNone;
    PackedColor fontShadow_ = clNone;
    ButtonLayout layout_ = ButtonLayout::GlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    QImage glyph_;

    ShineLook look_ = ShineLook::Up;
    bool mouseInControl_ = false;
    bool dragging_ = false;
    QTimer checkTimer_;
    int shortcutId_ = 0;

    QImage picture_;
    bool dirty_ = true;
};

} // namespace cadenzo
