#include "dialogs/color_dialog.h"

#include "controls/color_grid.h"
#include "controls/qt_color.h"
#include "controls/shadow_label.h"
#include "controls/shine_speed_button.h"

#include <QButtonGroup>
#include <QMouseEvent>
#include <QRadioButton>

namespace cadenzo {

namespace {

constexpr std::array<const char*, SCHEME_COLOR_COUNT> schemeButtonNames{"bg_u", "bg_d", "btn_u",
                                                                        "btn_d", "fc"};
constexpr std::array<const char*, SCHEME_COLOR_COUNT> schemeButtonCaptions{
    "BackGround Top", "BackGround Btm", "Button Top", "Button Btm", "Font"};

ShineSpeedButton* SchemeButton(QWidget* parent, const char* name, const char* caption,
                               QRect place) {
    auto* button = new ShineSpeedButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setCaption(QString::fromLatin1(caption));
    button->setGeometry(place);
    for (ShineButtonColors* set : {&button->colors(), &button->pressedColors()}) {
        set->setGradation(true);
        set->setGradVertical(true);
    }
    return button;
}

} // namespace

ColorDialog::ColorDialog(QWidget* mainWindow, const ColorScheme& current,
                         std::function<void(const ColorScheme&)> apply)
    : MainWindowDialog(mainWindow, "Tcolor_form", "Cadenzo -Color", true), apply_(std::move(apply)),
      background_(new ShadowLabel(this)), caption_(new ShadowLabel(this)),
      grid_(new ColorGrid(this)), ok_(SchemeButton(this, "ok", "OK", {136, 150, 50, 26})),
      cancel_(SchemeButton(this, "cancel", "Cancel", {192, 150, 50, 26})) {
    setFixedSize(250, 188);

    background_->setObjectName(QStringLiteral("back"));
    background_->setGeometry(0, 0, 250, 188);
    background_->setGradation(true);
    background_->setGradateVert(true);
    background_->lower();

    caption_->setObjectName(QStringLiteral("Label1"));
    caption_->setCaption(QStringLiteral("Select Colors"));
    caption_->setGeometry(8, 6, 120, 16);
    caption_->setTransparent(true);
    caption_->Shadow().setVisible(false);
    caption_->Highlight().setVisible(false);

    grid_->setObjectName(QStringLiteral("ColorGrid1"));
    grid_->setGeometry(8, 26, 100, 100);
    grid_->setBackgroundEnabled(false);
    grid_->installEventFilter(this);
    connect(grid_, &ColorGrid::clicked, this, [this] { previewColor(); });

    auto* group = new QButtonGroup(this);
    for (int k = 0; k < SCHEME_COLOR_COUNT; ++k) {
        auto* button =
            new QRadioButton(QString::fromLatin1(schemeButtonCaptions[std::size_t(k)]), this);
        button->setObjectName(QString::fromLatin1(schemeButtonNames[std::size_t(k)]));
        button->setGeometry(114, 26 + 24 * k, 130, 20);
        button->setAutoFillBackground(true);
        group->addButton(button, k);
        schemeButtons_[std::size_t(k)] = button;
    }
    schemeButtons_[0]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this,
            [this](int k) { onSchemeChosen(static_cast<SchemeColor>(k)); });

    connect(ok_, &ShineSpeedButton::clicked, this, [this] {
        if (apply_)
            apply_(shownScheme());
        accept();
    });
    connect(cancel_, &ShineSpeedButton::clicked, this, [this] { reject(); });

    background_->setGradationColor(current.backGroundTop);
    showBackGroundBtm(current.backGroundBtm);
    showButtonColors(current.buttonTop, current.buttonBtm);
    showFontColor(current.fontColor);
    grid_->setForegroundIndex(colorTableIndex(current.backGroundTop));
}

ColorScheme ColorDialog::shownScheme() const {
    return {background_->gradationColor(), background_->color(), ok_->colors().color(),
            ok_->colors().gradColor(), caption_->fontColor()};
}

SchemeColor ColorDialog::checkedColor() const {
    for (int k = 0; k < SCHEME_COLOR_COUNT; ++k)
        if (schemeButtons_[std::size_t(k)]->isChecked())
            return static_cast<SchemeColor>(k);
    return SchemeColor::BackGroundTop;
}

void ColorDialog::onSchemeChosen(SchemeColor which) {
    const ColorScheme shown = shownScheme();
    const std::array<PackedColor, SCHEME_COLOR_COUNT> colors{shown.backGroundTop,
                                                             shown.backGroundBtm, shown.buttonTop,
                                                             shown.buttonBtm, shown.fontColor};
    grid_->setForegroundIndex(colorTableIndex(colors[static_cast<std::size_t>(which)]));
}

// The grid tells of a press or a drag before it moves its selection, so during them the preview
// shows the cell selected just before; the click on release shows the final cell.
bool ColorDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_) {
        if (event->type() == QEvent::MouseButtonPress) {
            previewColor();
        } else if (event->type() == QEvent::MouseMove) {
            const auto* move = static_cast<QMouseEvent*>(event);
            if (move->buttons() == Qt::LeftButton && move->modifiers() == Qt::NoModifier)
                previewColor();
        }
    }
    return MainWindowDialog::eventFilter(watched, event);
}

void ColorDialog::previewColor() {
    const int cell = grid_->foregroundIndex();
    if (cell < 0 || cell >= static_cast<int>(colorTable.size()))
        return;
    const PackedColor color = colorTable[static_cast<std::size_t>(cell)];
    const ColorScheme shown = shownScheme();
    switch (checkedColor()) {
    case SchemeColor::BackGroundTop:
        background_->setGradationColor(color);
        break;
    case SchemeColor::BackGroundBtm:
        showBackGroundBtm(color);
        break;
    case SchemeColor::ButtonTop:
        showButtonColors(color, shown.buttonBtm);
        break;
    case SchemeColor::ButtonBtm:
        showButtonColors(shown.buttonTop, color);
        break;
    case SchemeColor::Font:
        showFontColor(color);
        break;
    }
}

void ColorDialog::showBackGroundBtm(PackedColor color) {
    background_->setColor(color);
    for (QRadioButton* button : schemeButtons_) {
        QPalette p = button->palette();
        // A button fills its background in the button role and writes in the button text role.
        for (auto role : {QPalette::Window, QPalette::Button})
            p.setColor(role, toQColor(color, p));
        button->setPalette(p);
    }
}

void ColorDialog::showButtonColors(PackedColor top, PackedColor bottom) {
    for (ShineSpeedButton* button : {ok_, cancel_})
        for (ShineButtonColors* set : {&button->colors(), &button->pressedColors()}) {
            set->setColor(top);
            set->setGradColor(bottom);
        }
}

void ColorDialog::showFontColor(PackedColor color) {
    caption_->setFontColor(color);
    for (QRadioButton* button : schemeButtons_) {
        QPalette p = button->palette();
        for (auto role : {QPalette::WindowText, QPalette::ButtonText})
            p.setColor(role, toQColor(color, p));
        button->setPalette(p);
    }
}

} // namespace cadenzo
