#include "controls/qt_color.h"

#include <QWidget>

namespace cadenzo {

namespace {

// Desktop colour index -> palette group and role. The three-dimensional shades follow the
// palette's bevel colours: Light for highlights, Dark for shadows, Shadow for the darkest line.
QColor systemQColor(std::uint8_t index, const QPalette& p) {
    using R = QPalette::ColorRole;
    auto a = [&p](R role) { return p.color(QPalette::Active, role); };
    switch (index) {
    case 2: // active caption
    case 13:
        return a(R::Highlight);
    case 9:
    case 14:
        return a(R::HighlightedText);
    case 3: // inactive caption
        return p.color(QPalette::Inactive, R::Highlight);
    case 19:
        return p.color(QPalette::Inactive, R::HighlightedText);
    case 5:
        return a(R::Base);
    case 6:
    case 21:
        return a(R::Shadow);
    case 7:
    case 8:
        return a(R::WindowText);
    case 15:
        return a(R::Button);
    case 16:
        return a(R::Dark);
    case 17:
        return p.color(QPalette::Disabled, R::WindowText);
    case 18:
        return a(R::ButtonText);
    case 20:
        return a(R::Light);
    case 22:
        return a(R::Midlight);
    case 23:
        return a(R::ToolTipText);
    case 24:
        return a(R::ToolTipBase);
    default: // scroll bar, desktop, menu, borders, workspace
        return a(R::Window);
    }
}

} // namespace

QColor toQColor(PackedColor c, const QPalette& palette) {
    if (isSystemColor(c)) {
        QColor q = systemQColor(std::uint8_t(c & 0xFF), palette);
        q.setAlpha(255);
        return q;
    }
    return QColor(getRValue(c), getGValue(c), getBValue(c));
}

PackedColor fromQColor(const QColor& c) {
    return RGB(std::uint8_t(c.red()), std::uint8_t(c.green()), std::uint8_t(c.blue()));
}

PackedColor resolveColor(PackedColor c, const QPalette& palette) {
    return fromQColor(toQColor(c, palette));
}

void applyFieldColors(std::initializer_list<QWidget*> widgets, const QColor& field,
                      const QColor& text) {
    for (QWidget* w : widgets) {
        QPalette p = w->palette();
        for (auto role : {QPalette::Base, QPalette::Button, QPalette::Window})
            p.setColor(role, field);
        for (auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
            p.setColor(role, text);
        w->setAutoFillBackground(true);
        w->setPalette(p);
    }
}

} // namespace cadenzo
