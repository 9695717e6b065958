#pragma once

#include "controls/color_number.h"
#include "dialogs/main_window_dialog.h"

#include <array>
#include <functional>

class QRadioButton;

namespace cadenzo {

class ColorGrid;
class ShadowLabel;
class ShineSpeedButton;

// The five colours the main window is drawn in.
struct ColorScheme {
    PackedColor backGroundTop = clNavy;
    PackedColor backGroundBtm = clBlack;
    PackedColor buttonTop = clWhite;
    PackedColor buttonBtm = clNavy;
    PackedColor fontColor = clYellow;

    bool operator==(const ColorScheme&) const = default;
};

// Which scheme colour the grid edits, in the order of the dialog's radio buttons.
enum class SchemeColor { BackGroundTop, BackGroundBtm, ButtonTop, ButtonBtm, Font };
inline constexpr int SCHEME_COLOR_COUNT = 5;

// Picks the five scheme colours from the 16 of the grid and previews them on the dialog itself:
// its background, its two buttons and its texts look as the main window will. The main window
// changes only when OK hands the shown scheme to `apply`.
class ColorDialog : public MainWindowDialog {
    Q_OBJECT

public:
    ColorDialog(QWidget* mainWindow, const ColorScheme& current,
                std::function<void(const ColorScheme&)> apply);

    // The scheme as the dialog shows it now.
    ColorScheme shownScheme() const;

    ShadowLabel* background() const { return background_; }
    ShadowLabel* caption() const { return caption_; }
    ColorGrid* grid() const { return grid_; }
    QRadioButton* schemeButton(SchemeColor which) const {
        return schemeButtons_[static_cast<std::size_t>(which)];
    }
    ShineSpeedButton* okButton() const { return ok_; }
    ShineSpeedButton* cancelButton() const { return cancel_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SchemeColor checkedColor() const;
    void onSchemeChosen(SchemeColor which);
    // Shows the grid's selected colour as the checked scheme colour. With no cell selected (a
    // scheme colour that is not one of the 16) the dialog keeps showing what it showed.
    void previewColor();
    void showBackGroundBtm(PackedColor color);
    void showButtonColors(PackedColor top, PackedColor bottom);
    void showFontColor(PackedColor color);

    std::function<void(const ColorScheme&)> apply_;
    ShadowLabel* background_;
    ShadowLabel* caption_;
    ColorGrid* grid_;
    std::array<QRadioButton*, SCHEME_COLOR_COUNT> schemeButtons_{};
    ShineSpeedButton* ok_;
    ShineSpeedButton* cancel_;
};

} // namespace cadenzo
