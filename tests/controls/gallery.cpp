// controls_gallery: every custom control in every look, for checking them by eye on a real
// screen. Looks that need the mouse (hot, pressed) are shown as snapshots of the control's
// picture; the controls in the bottom row are live.

#include <QApplication>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QWidget>

#include "controls/color_grid.h"
#include "controls/shadow_label.h"
#include "controls/shine_speed_button.h"

using namespace cadenzo;

namespace {

// A still picture of a control in a look that needs the mouse.
void Snapshot(QWidget* parent, const QImage& img, QPoint at) {
    auto* l = new QLabel(parent);
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

void Scheme(TShineSpeedButton& b) {
    for (TShineBtnColors* set : {&b.Colors(), &b.PressedColors()}) {
        set->setColor(clWhite);
        set->setGradColor(clNavy);
        set->setGradation(true);
        set->setGradVertical(true);
    }
    b.setFontColor(clBlack);
    b.setActiveFontColor(clRed);
}

// The picture of a button brought into a look by the events that lead there.
QImage ButtonIn(TShineSpeedButton& b, TShineLook look) {
    if (look == slLatched || look == slPressedHot) {
        b.setGroupIndex(1);
        b.setDown(true);
    }
    if (look == slHot || look == slPressedHot) {
        QEnterEvent e{QPointF(3, 3), QPointF(3, 3), QPointF(3, 3)};
        QCoreApplication::sendEvent(&b, &e);
    }
    if (look == slDisabled)
        b.setEnabled(false);
    return b.Picture();
}

TShadowLabel* Text(QWidget* parent, const QString& text, QRect r, TColor color = clYellow) {
    auto* l = new TShadowLabel(parent);
    l->setGeometry(r);
    l->setTransparent(true);
    l->setCaption(text);
    l->setFontColor(color);
    l->Shadow().setColor(clBlack);
    l->Highlight().setVisible(false);
    return l;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Cadenzo controls");
    window.resize(1020, 760);

    auto* back = new TShadowLabel(&window);
    back->setGeometry(0, 0, 1020, 760);
    back->setGradation(true);
    back->setGradateVert(true);
    back->setGradationColor(clNavy);
    back->setColor(clBlack);
    back->setCaption("");

    QWidget hidden; // holds the buttons whose pictures are shown
    const TShineLook looks[] = {slUp, slHot, slPressedHot, slLatched, slDisabled};
    const char* lookNames[] = {"up", "hot", "pressed-hot", "latched", "disabled"};
    const TFrameType frames[] = {ftFlatFrame, ftNormalFrame, ftEnclosedFrame};
    const char* frameNames[] = {"flat", "normal", "enclosed"};

    // Frames x looks.
    Text(&window, "Shine speed button: frame x look", {10, 5, 400, 20});
    for (int c = 0; c < 5; ++c)
        Text(&window, lookNames[c], {90 + c * 90, 25, 90, 18});
    for (int r = 0; r < 3; ++r) {
        Text(&window, frameNames[r], {10, 48 + r * 40, 80, 18});
        for (int c = 0; c < 5; ++c) {
            auto* b = new TShineSpeedButton(&hidden);
            b->resize(80, 32);
            Scheme(*b);
            b->setFrameType(frames[r]);
            b->setGlyph(PlayGlyph());
            b->setCaption("&Play");
            Snapshot(&window, ButtonIn(*b, looks[c]), {90 + c * 90, 45 + r * 40});
        }
    }

    // Glyph modes.
    Text(&window, "Hot glyph (ActiveImage) and disabled glyph (DisabledImage) modes",
         {10, 170, 600, 20});
    const char* modeNames[] = {"Normal",    "Xor",         "Half", "Quater",  "Add",
                               "Frame",     "Frame2",      "Mask", "Default", "Grayscale",
                               "AlphaHalf", "AlphaQuater", "Mask"};
    for (int i = 0; i < 13; ++i) {
        auto* b = new TShineSpeedButton(&hidden);
        b->resize(36, 36);
        b->Colors().setColor(clSilver);
        b->setGlyph(PlayGlyph());
        if (i < 8)
            b->setActiveImage(TActiveImageType(i));
        else
            b->setDisabledImage(TDisabledImageType(i - 8));
        const int x = i < 8 ? 10 + i * 70 : 580 + (i - 8) * 85;
        Snapshot(&window, ButtonIn(*b, i < 8 ? slHot : slDisabled), {x, 195});
        Text(&window, modeNames[i], {x, 233, 85, 18});
    }

    // Layouts, margins, caption copies, transparency.
    Text(&window, "Layout / Margin / FontShadow + FontHighlight / Transparent", {10, 258, 600, 20});
    const char* layoutNames[] = {"Left", "Right", "Top", "Bottom"};
    for (int i = 0; i < 8; ++i) {
        auto* b = new TShineSpeedButton(&hidden);
        b->resize(90, 50);
        Scheme(*b);
        b->setGlyph(PlayGlyph());
        b->setLayout(TButtonLayout(i % 4));
        b->setMargin(i < 4 ? -1 : 4);
        b->setCaption(QString(layoutNames[i % 4]) + (i < 4 ? "" : " m4"));
        Snapshot(&window, ButtonIn(*b, slUp), {10 + i * 98, 282});
    }
    {
        auto* b = new TShineSpeedButton(&hidden);
        b->resize(110, 30);
        b->Colors().setColor(clTeal);
        b->setFontColor(clWhite);
        b->setFontShadow(clBlack);
        b->setFontHighlight(clAqua);
        b->setCaption("Copies");
        Snapshot(&window, ButtonIn(*b, slUp), {10, 340});
        auto* t = new TShineSpeedButton(&window);
        t->setGeometry(130, 340, 110, 30);
        t->setTransparent(true);
        t->setFontColor(clYellow);
        t->setGlyph(PlayGlyph());
        t->setCaption("Transparent");
    }

    // Shadow labels.
    Text(&window, "Shadow label", {10, 380, 300, 20});
    auto label = [&](QRect r, const QString& caption, TColor color) {
        auto* l = new TShadowLabel(&window);
        l->setGeometry(r);
        l->setColor(color);
        QFont f = l->font();
        f.setPixelSize(18);
        f.setBold(true);
        l->setFont(f);
        l->setCaption(caption);
        return l;
    };
    {
        auto* v = label({10, 405, 190, 57}, "Vertical gradient", clAqua);
        v->setGradation(true);
        v->setGradateVert(true);
        v->setGradationColor(clBlue);
        v->setLayout(tlCenter);
        v->setAlignment(taCenter);
        auto* h = label({210, 405, 190, 57}, "Horizontal", clYellow);
        h->setGradation(true);
        h->setGradationColor(clMaroon);
        h->setLayout(tlBottom);
        h->setAlignment(taRightJustify);
        h->setFlickerless(false);
        auto* g2 = label({410, 405, 190, 57}, "tg2Colors text", clWhite);
        g2->setTextGradation(tg2Colors);
        g2->Shadow().setVisible(false);
        auto* g3 = label({610, 405, 190, 57}, "tg3Colors text", clWhite);
        g3->setTextGradation(tg3Colors);
        g3->setFontColor(clRed);
        g3->Shadow().setColor(clGray);
        auto* d = label({810, 405, 190, 57}, "Disabled", clSilver);
        d->setFontColor(clRed);
        d->setEnabled(false);
        auto* e = label({10, 470, 190, 30}, "An ellipsis shortens this long caption", clWhite);
        e->setEllipsis(elEnd);
        auto* t = label({210, 470, 190, 30}, "Transparent", clBlack);
        t->setTransparent(true);
        t->setFontColor(clYellow);
        t->Shadow().setColor(clBlack);
        t->Shadow().setOffsetLeft(2);
        t->Shadow().setOffsetTop(2);
        t->Highlight().setVisible(false);
    }

    // Colour grids.
    Text(&window, "Colour grid", {10, 510, 300, 20});
    {
        auto grid = [&](QRect r, TGridOrdering ordering, int fg, int bg) {
            auto* g = new TColorGrid(&window);
            g->setGridOrdering(ordering);
            g->setGeometry(r);
            g->setForegroundIndex(fg);
            g->setBackgroundIndex(bg);
            return g;
        };
        grid({10, 535, 104, 112}, go4x4, 4, 11);
        Text(&window, "FG navy, BG yellow", {10, 650, 160, 18});
        grid({180, 535, 103, 110}, go4x4, 9, 9)->setCtl3D(false); // cut to 100 x 108
        Text(&window, "FB, plain cells", {180, 650, 160, 18});
        TColorGrid focused(&hidden);
        focused.setForegroundIndex(15);
        focused.setBackgroundEnabled(false);
        focused.setSelection(6);
        QFocusEvent in(QEvent::FocusIn);
        QCoreApplication::sendEvent(&focused, &in);
        Snapshot(&window, focused.Picture(), {350, 535});
        Text(&window, "focus on cell 6, FG only", {350, 650, 200, 18});
        grid({570, 535, 420, 30}, go16x1, 16, 2); // FG 16: no mark
        grid({570, 580, 240, 60}, go8x2, 0, 0);
        Text(&window, "go16x1 (FG 16: no mark), go8x2", {570, 650, 300, 18});
    }

    // Live buttons: a group of three and a plain one.
    Text(&window, "Live: group (AllowAllUp off) and a plain button", {10, 680, 400, 20});
    for (int i = 0; i < 4; ++i) {
        auto* b = new TShineSpeedButton(&window);
        b->setGeometry(10 + i * 90, 705, 80, 32);
        Scheme(*b);
        b->setGlyph(PlayGlyph());
        b->setCaption(i < 3 ? QString("Grp &%1").arg(i + 1) : QString("Plain"));
        if (i < 3)
            b->setGroupIndex(1);
        if (i == 0)
            b->setDown(true);
    }

    window.show();
    return app.exec();
}
