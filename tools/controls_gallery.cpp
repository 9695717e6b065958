// controls_gallery: every custom control in every look, for checking them by eye on a real
// screen. Looks that need the mouse (hot, pressed) are shown as snapshots of the control's
// picture; the other controls are live.

#include <QApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QLabel>

#include "controls/color_grid.h"
#include "controls/shadow_label.h"
#include "controls/shine_speed_button.h"

using namespace cadenzo;

namespace {

QWidget* window;
QWidget* hidden; // holds the controls whose pictures are shown

void Snapshot(const QImage& img, QPoint at) {
    auto* l = new QLabel(window);
    l->setPixmap(QPixmap::fromImage(img));
    l->setGeometry(QRect(at, img.size()));
}

// A 16 x 16 play glyph on an olive (transparent) ground.
QImage PlayGlyph() {
    QImage g(16, 16, QImage::Format_RGB32);
    g.fill(qRgb(128, 128, 0));
    for (int y = 2; y < 14; ++y) {
        const int len = y < 8 ? y - 1 : 14 - y;
        for (int x = 3; x < 4 + len * 2 && x < 15; ++x)
            g.setPixel(x, y, x == 3 || x == 3 + len * 2 ? qRgb(0, 64, 0) : qRgb(0, 200, 0));
    }
    return g;
}

// A button with the play glyph; with a caption it gets the white-to-navy gradient scheme.
ShineSpeedButton* Button(QWidget* parent, QRect r, const QString& caption) {
    auto* b = new ShineSpeedButton(parent);
    b->setGeometry(r);
    b->setGlyph(PlayGlyph());
    b->setCaption(caption);
    if (caption.isEmpty()) {
        b->colors().setColor(clSilver);
        return b;
    }
    for (ShineButtonColors* set : {&b->colors(), &b->pressedColors()}) {
        set->setColor(clWhite);
        set->setGradColor(clNavy);
        set->setGradation(true);
        set->setGradVertical(true);
    }
    b->setFontColor(clBlack);
    b->setActiveFontColor(clRed);
    return b;
}

// Shows a hidden button brought into a look by the events that lead there.
void ShowIn(ShineSpeedButton* b, ShineLook look, QPoint at) {
    if (look == ShineLook::Latched || look == ShineLook::PressedHot) {
        b->setGroupIndex(1);
        b->setDown(true);
    }
    if (look == ShineLook::Hot || look == ShineLook::PressedHot) {
        QEnterEvent e{QPointF(3, 3), QPointF(3, 3), QPointF(3, 3)};
        QCoreApplication::sendEvent(b, &e);
    }
    if (look == ShineLook::Disabled)
        b->setEnabled(false);
    Snapshot(b->picture(), at);
}

ShadowLabel* Label(QRect r, const QString& text, PackedColor color, int pixelSize = 18) {
    auto* l = new ShadowLabel(window);
    l->setGeometry(r);
    if (pixelSize) {
        QFont f = l->font();
        f.setPixelSize(pixelSize);
        f.setBold(true);
        l->setFont(f);
    }
    l->setColor(color);
    l->setCaption(text);
    return l;
}

// A caption on the window's gradient.
void Text(const QString& text, QRect r) {
    auto* l = Label(r, text, clBlack, 0);
    l->setTransparent(true);
    l->setFontColor(clYellow);
    l->Shadow().setColor(clBlack);
    l->Highlight().setVisible(false);
}

ColorGrid* Grid(QRect r, GridOrder ordering, int fg, int bg, QWidget* parent = window) {
    auto* g = new ColorGrid(parent);
    g->setGridOrdering(ordering);
    g->setGeometry(r);
    g->setForegroundIndex(fg);
    g->setBackgroundIndex(bg);
    return g;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget win, hide;
    window = &win;
    hidden = &hide;
    win.setWindowTitle("Cadenzo controls");
    win.resize(1020, 760);
    auto* back = Label({0, 0, 1020, 760}, "", clBlack);
    back->setGradation(true);
    back->setGradateVert(true);
    back->setGradationColor(clNavy);

    const ShineLook looks[] = {ShineLook::Up, ShineLook::Hot, ShineLook::PressedHot,
                               ShineLook::Latched, ShineLook::Disabled};
    const char* lookNames[] = {"up", "hot", "pressed-hot", "latched", "disabled"};
    const char* frameNames[] = {"flat", "normal", "enclosed"};
    Text("Shine speed button: frame x look", {10, 5, 400, 20});
    for (int c = 0; c < 5; ++c)
        Text(lookNames[c], {90 + c * 90, 25, 90, 18});
    for (int r = 0; r < 3; ++r) {
        Text(frameNames[r], {10, 48 + r * 40, 80, 18});
        for (int c = 0; c < 5; ++c) {
            auto* b = Button(hidden, {0, 0, 80, 32}, "&Play");
            b->setFrameType(FrameStyle(r));
            ShowIn(b, looks[c], {90 + c * 90, 45 + r * 40});
        }
    }

    Text("Hot glyph (ActiveImage) and disabled glyph (DisabledImage) modes", {10, 170, 600, 20});
    const char* modeNames[] = {"Normal",    "Xor",         "Half", "Quater",  "Add",
                               "Frame",     "Frame2",      "Mask", "Default", "Grayscale",
                               "AlphaHalf", "AlphaQuater", "Mask"};
    for (int i = 0; i < 13; ++i) {
        auto* b = Button(hidden, {0, 0, 36, 36}, "");
        if (i < 8)
            b->setActiveImage(ActiveImageStyle(i));
        else
            b->setDisabledImage(DisabledImageStyle(i - 8));
        const int x = i < 8 ? 10 + i * 70 : 580 + (i - 8) * 85;
        ShowIn(b, i < 8 ? ShineLook::Hot : ShineLook::Disabled, {x, 195});
        Text(modeNames[i], {x, 233, 85, 18});
    }

    Text("Layout / Margin / FontShadow + FontHighlight / Transparent", {10, 258, 600, 20});
    const char* layoutNames[] = {"Left", "Right", "Top", "Bottom"};
    for (int i = 0; i < 8; ++i) {
        auto* b =
            Button(hidden, {0, 0, 90, 50}, QString(layoutNames[i % 4]) + (i < 4 ? "" : " m4"));
        b->setLayout(ButtonLayout(i % 4));
        b->setMargin(i < 4 ? -1 : 4);
        ShowIn(b, ShineLook::Up, {10 + i * 98, 282});
    }
    auto* copies = Button(window, {10, 340, 110, 30}, "Copies");
    copies->setGlyph({});
    copies->colors().setGradation(false);
    copies->colors().setColor(clTeal);
    copies->setFontColor(clWhite);
    copies->setFontShadow(clBlack);
    copies->setFontHighlight(clAqua);
    auto* clear = Button(window, {130, 340, 110, 30}, "Transparent");
    clear->setTransparent(true);
    clear->setFontColor(clYellow);

    Text("Shadow label", {10, 380, 300, 20});
    auto* v = Label({10, 405, 190, 57}, "Vertical gradient", clAqua);
    v->setGradation(true);
    v->setGradateVert(true);
    v->setGradationColor(clBlue);
    v->setLayout(TextLayout::Center);
    v->setAlignment(TextAlignment::Center);
    auto* h = Label({210, 405, 190, 57}, "Horizontal", clYellow);
    h->setGradation(true);
    h->setGradationColor(clMaroon);
    h->setLayout(TextLayout::Bottom);
    h->setAlignment(TextAlignment::Right);
    h->setFlickerless(false);
    auto* g2 = Label({410, 405, 190, 57}, "tg2Colors text", clWhite);
    g2->setTextGradation(GradationStyle::TwoColors);
    g2->Shadow().setVisible(false);
    auto* g3 = Label({610, 405, 190, 57}, "tg3Colors text", clWhite);
    g3->setTextGradation(GradationStyle::ThreeColors);
    g3->setFontColor(clRed);
    g3->Shadow().setColor(clGray);
    auto* d = Label({810, 405, 190, 57}, "Disabled", clSilver);
    d->setFontColor(clRed);
    d->setEnabled(false);
    Label({10, 470, 190, 30}, "An ellipsis shortens this long caption", clWhite)
        ->setEllipsis(EllipsisStyle::End);
    auto* t = Label({210, 470, 190, 30}, "Transparent", clBlack);
    t->setTransparent(true);
    t->setFontColor(clYellow);
    t->Shadow().setColor(clBlack);
    t->Shadow().setOffsetLeft(2);
    t->Shadow().setOffsetTop(2);
    t->Highlight().setVisible(false);

    Text("Colour grid", {10, 510, 300, 20});
    Grid({10, 535, 104, 112}, GridOrder::Grid4x4, 4, 11);
    Text("FG navy, BG yellow", {10, 650, 160, 18});
    Grid({180, 535, 103, 110}, GridOrder::Grid4x4, 9, 9)->setCtl3D(false); // cut to 100 x 108
    Text("FB, plain cells", {180, 650, 160, 18});
    auto* focused = Grid({0, 0, 100, 100}, GridOrder::Grid4x4, 15, 0, hidden);
    focused->setBackgroundEnabled(false);
    focused->setSelection(6);
    QFocusEvent in(QEvent::FocusIn);
    QCoreApplication::sendEvent(focused, &in);
    Snapshot(focused->picture(), {350, 535});
    Text("focus on cell 6, FG only", {350, 650, 200, 18});
    Grid({570, 535, 420, 30}, GridOrder::Grid16x1, 16, 2); // FG 16: no mark
    Grid({570, 580, 240, 60}, GridOrder::Grid8x2, 0, 0);
    Text("go16x1 (FG 16: no mark), go8x2", {570, 650, 300, 18});

    Text("Live: group (AllowAllUp off) and a plain button", {10, 680, 400, 20});
    for (int i = 0; i < 4; ++i) {
        auto* b = Button(window, {10 + i * 90, 705, 80, 32},
                         i < 3 ? QString("Grp &%1").arg(i + 1) : QString("Plain"));
        b->setGroupIndex(i < 3 ? 1 : 0);
        b->setDown(i == 0);
    }
    win.show();
    return app.exec();
}
