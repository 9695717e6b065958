#include "views/fretboard_view.h"

#include "controls/pixel_draw.h"
#include "fretboard/fretboard_controller.h"
#include "model/guitar.h"
#include "views/pictures.h"

#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>

namespace cadenzo {

namespace {

const QColor kHoverRed(255, 0, 0);
const QColor kMarkBlue(0, 0, 255);
const QColor kMarkCyan(0, 255, 255);

NeckButton ButtonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return NeckButton::Left;
    case Qt::RightButton:
        return NeckButton::Right;
    default:
        return NeckButton::Other;
    }
}

} // namespace

FretboardView::FretboardView(QWidget* parent, const Guitar& guitar, FretboardController& controller)
    : guitar_(guitar), controller_(controller) {
    NeckScreen = new ImageControl(QStringLiteral("NeckScreen"), parent);
    NeckScreen->setToolTip(QStringLiteral("Flet Area"));
    OpenGen = new ImageControl(QStringLiteral("OpenGen"), parent);
    OpenGen->setToolTip(QStringLiteral("Set String"));
    OpenGen->setCursor(Qt::UpArrowCursor);
    OpenGen->resize(OPEN_GEN_WIDTH, OPEN_GEN_HEIGHT);
    neckBar = new QScrollBar(Qt::Horizontal, parent);
    neckBar->setObjectName(QStringLiteral("neckBar"));
    neckBar->setRange(1, 18);
    neckBar->setPageStep(1);
    playnote = new QLineEdit(parent);
    playnote->setObjectName(QStringLiteral("playnote"));
    playnote->setReadOnly(true);
    playnote->setFocusPolicy(Qt::NoFocus);

    neckImage_ = MakeNeckImage(NECK_SCREEN_HEIGHT);
    neckBuffer_ = QImage(neckImage_.size(), QImage::Format_RGB32);
    openBuffer_ = QImage(OPEN_GEN_WIDTH, OPEN_GEN_HEIGHT, QImage::Format_RGB32);

    QObject::connect(NeckScreen, &ImageControl::mousePressed, NeckScreen,
                     [this](Qt::MouseButton b, QPoint p) { NeckScreenMouseDown(b, p.x(), p.y()); });
    QObject::connect(NeckScreen, &ImageControl::mouseMoved, NeckScreen,
                     [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, QPoint p) {
                         NeckScreenMouseMove(b, m, p.x(), p.y());
                     });
    QObject::connect(NeckScreen, &ImageControl::mouseReleased, NeckScreen,
                     [this] { NeckScreenMouseUp(); });
    QObject::connect(NeckScreen, &ImageControl::resized, NeckScreen, [this] { DrawNeck(); });
    QObject::connect(OpenGen, &ImageControl::mousePressed, OpenGen,
                     [this](Qt::MouseButton b, QPoint p) { OpenGenMouseDown(b, p.x(), p.y()); });
    QObject::connect(OpenGen, &ImageControl::mouseMoved, OpenGen,
                     [this](Qt::MouseButtons, Qt::KeyboardModifiers, QPoint p) {
                         OpenGenMouseMove(p.x(), p.y());
                     });
    QObject::connect(OpenGen, &ImageControl::mouseReleased, OpenGen, [this] { OpenGenMouseUp(); });
    connect(neckBar, &QScrollBar::valueChanged, this, [this](int value) {
        if (!settingBar_)
            neckBarScroll(value);
    });
}

void FretboardView::SetNeckBarPosition(int position) {
    settingBar_ = true;
    neckBar->setValue(position);
    settingBar_ = false;
}

void FretboardView::ShowChange(const GuitarChange& change) {
    if (change.neckBarMaximum) {
        // A lower maximum clamps the bar's value, which the bar reports as a move: it is not one.
        settingBar_ = true;
        neckBar->setMaximum(*change.neckBarMaximum);
        settingBar_ = false;
    }
    if (change.neckBar)
        SetNeckBarPosition(*change.neckBar);
    if (change.neck)
        DrawNeck();
}

void FretboardView::DrawHoverLine(QImage& buffer) {
    if (hover_.hoverString == NO_STRING)
        return;
    const int y = StringRowY(hover_.hoverString);
    QPainter p(&buffer);
    // The outline of (0, y)-(width - 1, y + 2) without its right and bottom edges fills rows y
    // and y + 1.
    p.fillRect(0, y, NeckScreen->width() - 1, 2, kHoverRed);
}

void FretboardView::DrawFingerMark(QImage& buffer, int s) {
    const Box box = FingerMarkBox(s, guitar_.flet[s], guitar_.neckPos);
    QPainter p(&buffer);
    p.setPen(kMarkBlue);
    p.setBrush(kMarkCyan);
    p.drawEllipse(QRect(box.left, box.top, box.right - box.left - 1, box.bottom - box.top - 1));
}

void FretboardView::DrawNeck() {
    const QSize screen = NeckScreen->size();
    const int from = FRET_CELL_WIDTH * (guitar_.neckPos - 1);
    neckBuffer_.fill(Qt::white);
    CopyPicture(neckBuffer_, {0, 0}, neckImage_, {from, 0}, screen);
    DrawHoverLine(neckBuffer_);
    // From (0, 20) up, across the top, down the right and back along the bottom: the left edge
    // below row 20 stays open towards the open-string strip.
    const int w = screen.width(), h = screen.height();
    DrawLineTo(neckBuffer_, 0, 20, 0, 0, Qt::black);
    DrawLineTo(neckBuffer_, 0, 0, w - 1, 0, Qt::black);
    DrawLineTo(neckBuffer_, w - 1, 0, w - 1, h - 1, Qt::black);
    DrawLineTo(neckBuffer_, w - 1, h - 1, 0, h - 1, Qt::black);
    openBuffer_.fill(Qt::white);
    {
        QPainter p(&openBuffer_);
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(0, 0, 20, 100); // the outline (0, 0)-(21, 101) without its far edges
        for (int s = 0; s < STRING_COUNT; ++s) {
            const std::uint8_t fret = guitar_.flet[s];
            if (fret == 0) {
                p.drawEllipse(QRect(4, 15 * s + 4, 12, 11));
            }
        }
    }
    for (int s = 0; s < STRING_COUNT; ++s) {
        if (guitar_.flet[s] == SILENT) {
            DrawLineTo(openBuffer_, 5, 15 * s + 4, 15, 15 * s + 16, Qt::black);
            DrawLineTo(openBuffer_, 14, 15 * s + 4, 4, 15 * s + 16, Qt::black);
        }
    }
    for (int s = 0; s < STRING_COUNT; ++s) {
        const std::uint8_t fret = guitar_.flet[s];
        if (fret != 0 && fret != SILENT)
            DrawFingerMark(neckBuffer_, s);
    }
    CopyPicture(NeckScreen->picture(), {0, 0}, neckBuffer_, {0, 0}, screen);
    CopyPicture(OpenGen->picture(), {0, 0}, openBuffer_, {0, 0}, OpenGen->size());
    NeckScreen->update();
    OpenGen->update();
}

void FretboardView::DrawStringRows() {
    const int from = FRET_CELL_WIDTH * (guitar_.neckPos - 1);
    const int width = NeckScreen->width();
    for (int s = 0; s < STRING_COUNT; ++s)
        CopyPicture(neckBuffer_, {0, StringRowY(s)}, neckImage_, {from, StringRowY(s)}, {width, 3});
    DrawHoverLine(neckBuffer_);
    for (int s = 0; s < STRING_COUNT; ++s) {
        const std::uint8_t fret = guitar_.flet[s];
        if (fret >= 1 && fret <= 254)
            DrawFingerMark(neckBuffer_, s);
        CopyPicture(NeckScreen->picture(), {0, StringRowY(s)}, neckBuffer_, {0, StringRowY(s)},
                    {width - 1, 3});
    }
    NeckScreen->update();
}

void FretboardView::LeaveNeck() {
    bool columnWas = false;
    if (hover_.LeaveNeck(columnWas))
        DrawNeck();
    if (columnWas)
        playnote->clear();
}

void FretboardView::ShowHoverNote() {
    if (const auto text = HoverNoteText(guitar_, hover_))
        playnote->setText(QString::fromStdString(*text));
}

void FretboardView::AfterPress(const GuitarChange& change, const NeckHover& hit) {
    emit guitarChanged(change);
    hover_.hoverString = hit.hoverString;
    hover_.hoverColumn = hit.hoverColumn;
    ShowHoverNote();
}

void FretboardView::NeckScreenMouseDown(Qt::MouseButton button, int x, int y) {
    hover_.HitTest(x, y);
    const NeckHover hit = hover_;
    AfterPress(controller_.pressNeck(hit.hoverString, hit.hoverColumn, ButtonOf(button)), hit);
}

void FretboardView::NeckScreenMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                                        int x, int y) {
    hover_.HitTest(x, y);
    if (hover_.hoverString != NO_STRING)
        ShowHoverNote();
    if (hover_.lastString != hover_.hoverString)
        DrawStringRows();
    // Dragging across the strings with the right button alone plucks each string once as the
    // mouse enters its row.
    const std::uint8_t h = hover_.hoverString;
    if (buttons == Qt::RightButton && modifiers == Qt::NoModifier && h != NO_STRING &&
        h != hover_.lastString)
        controller_.pluckString(h);
}

void FretboardView::NeckScreenMouseUp() {
    controller_.silence();
}

void FretboardView::OpenGenMouseDown(Qt::MouseButton button, int x, int y) {
    // The strip's rows are the neck's string rows shifted up.
    hover_.HitTest(x, y + OPEN_GEN_Y_SHIFT);
    const NeckHover hit = hover_;
    AfterPress(controller_.pressOpenStrip(hit.hoverString, ButtonOf(button)), hit);
}

void FretboardView::OpenGenMouseMove(int /*x*/, int y) {
    hover_.HitTest(0, y + OPEN_GEN_Y_SHIFT);
    ShowHoverNote();
}

void FretboardView::OpenGenMouseUp() {
    controller_.silence();
}

void FretboardView::neckBarScroll(int position) {
    emit guitarChanged(controller_.scrollNeck(position));
}

} // namespace cadenzo
