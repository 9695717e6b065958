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

NeckButton buttonOf(Qt::MouseButton button) {
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
    neckArea = new ImageControl(QStringLiteral("NeckScreen"), parent);
    neckArea->setToolTip(QStringLiteral("Flet Area"));
    openStringsArea = new ImageControl(QStringLiteral("OpenGen"), parent);
    openStringsArea->setToolTip(QStringLiteral("Set String"));
    openStringsArea->setCursor(Qt::UpArrowCursor);
    openStringsArea->resize(OPEN_GEN_WIDTH, OPEN_GEN_HEIGHT);
    neckScrollBar = new QScrollBar(Qt::Horizontal, parent);
    neckScrollBar->setObjectName(QStringLiteral("neckBar"));
    neckScrollBar->setRange(1, 18);
    neckScrollBar->setPageStep(1);
    hoverNoteEdit = new QLineEdit(parent);
    hoverNoteEdit->setObjectName(QStringLiteral("playnote"));
    hoverNoteEdit->setReadOnly(true);
    hoverNoteEdit->setFocusPolicy(Qt::NoFocus);

    makePictures();

    QObject::connect(neckArea, &ImageControl::mousePressed, neckArea,
                     [this](Qt::MouseButton b, QPoint p) { pressNeck(b, p.x(), p.y()); });
    QObject::connect(neckArea, &ImageControl::mouseMoved, neckArea,
                     [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, QPoint p) {
                         moveOverNeck(b, m, p.x(), p.y());
                     });
    QObject::connect(neckArea, &ImageControl::mouseReleased, neckArea, [this] { releaseNeck(); });
    QObject::connect(neckArea, &ImageControl::resized, neckArea, [this] { drawNeck(); });
    QObject::connect(neckArea, &ImageControl::ratioChanged, neckArea, [this] { drawNeck(); });
    QObject::connect(openStringsArea, &ImageControl::ratioChanged, openStringsArea,
                     [this] { drawNeck(); });
    QObject::connect(openStringsArea, &ImageControl::mousePressed, openStringsArea,
                     [this](Qt::MouseButton b, QPoint p) { pressOpenStrings(b, p.x(), p.y()); });
    QObject::connect(openStringsArea, &ImageControl::mouseMoved, openStringsArea,
                     [this](Qt::MouseButtons, Qt::KeyboardModifiers, QPoint p) {
                         moveOverOpenStrings(p.x(), p.y());
                     });
    QObject::connect(openStringsArea, &ImageControl::mouseReleased, openStringsArea,
                     [this] { releaseOpenStrings(); });
    connect(neckScrollBar, &QScrollBar::valueChanged, this, [this](int value) {
        if (!settingBar_)
            onNeckScrolled(value);
    });
}

// The neck's pictures at the neck's device pixel ratio.
void FretboardView::makePictures() {
    const qreal ratio = neckArea->devicePixelRatioF();
    neckImage_ = makeNeckImage(NECK_SCREEN_HEIGHT, ratio);
    neckBuffer_ = makePicture(logicalSize(neckImage_), ratio);
    openBuffer_ = makePicture({OPEN_GEN_WIDTH, OPEN_GEN_HEIGHT}, ratio);
}

void FretboardView::setNeckBarPosition(int position) {
    settingBar_ = true;
    neckScrollBar->setValue(position);
    settingBar_ = false;
}

void FretboardView::showChange(const GuitarChange& change) {
    if (change.neckBarMaximum) {
        // A lower maximum clamps the bar's value, which the bar reports as a move: it is not one.
        settingBar_ = true;
        neckScrollBar->setMaximum(*change.neckBarMaximum);
        settingBar_ = false;
    }
    if (change.neckScrollBar)
        setNeckBarPosition(*change.neckScrollBar);
    if (change.neck)
        drawNeck();
}

void FretboardView::drawHoverLine(QImage& buffer) {
    if (hover_.hoverString == NO_STRING)
        return;
    const int y = stringRowY(hover_.hoverString);
    QPainter p(&buffer);
    // The outline of (0, y)-(width - 1, y + 2) without its right and bottom edges fills rows y
    // and y + 1.
    p.fillRect(0, y, neckArea->width() - 1, 2, kHoverRed);
}

void FretboardView::drawFingerMark(QImage& buffer, int s) {
    const Box box = fingerMarkBox(s, guitar_.frets[s], guitar_.neckPos);
    QPainter p(&buffer);
    p.setPen(kMarkBlue);
    p.setBrush(kMarkCyan);
    p.drawEllipse(QRect(box.left, box.top, box.right - box.left - 1, box.bottom - box.top - 1));
}

void FretboardView::drawNeck() {
    if (neckImage_.devicePixelRatio() != neckArea->devicePixelRatioF())
        makePictures();
    const QSize screen = neckArea->size();
    const int from = FRET_CELL_WIDTH * (guitar_.neckPos - 1);
    neckBuffer_.fill(Qt::white);
    copyPicture(neckBuffer_, {0, 0}, neckImage_, {from, 0}, screen);
    drawHoverLine(neckBuffer_);
    // From (0, 20) up, across the top, down the right and back along the bottom: the left edge
    // below row 20 stays open towards the open-string strip.
    const int w = screen.width(), h = screen.height();
    drawLineTo(neckBuffer_, 0, 20, 0, 0, Qt::black);
    drawLineTo(neckBuffer_, 0, 0, w - 1, 0, Qt::black);
    drawLineTo(neckBuffer_, w - 1, 0, w - 1, h - 1, Qt::black);
    drawLineTo(neckBuffer_, w - 1, h - 1, 0, h - 1, Qt::black);
    openBuffer_.fill(Qt::white);
    drawFrame(openBuffer_, 0, 0, 21, 101, qRgb(0, 0, 0));
    {
        QPainter p(&openBuffer_);
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        for (int s = 0; s < STRING_COUNT; ++s) {
            const std::uint8_t fret = guitar_.frets[s];
            if (fret == 0) {
                p.drawEllipse(QRect(4, 15 * s + 4, 12, 11));
            }
        }
    }
    for (int s = 0; s < STRING_COUNT; ++s) {
        if (guitar_.frets[s] == SILENT) {
            drawLineTo(openBuffer_, 5, 15 * s + 4, 15, 15 * s + 16, Qt::black);
            drawLineTo(openBuffer_, 14, 15 * s + 4, 4, 15 * s + 16, Qt::black);
        }
    }
    for (int s = 0; s < STRING_COUNT; ++s) {
        const std::uint8_t fret = guitar_.frets[s];
        if (fret != 0 && fret != SILENT)
            drawFingerMark(neckBuffer_, s);
    }
    copyPicture(neckArea->picture(), {0, 0}, neckBuffer_, {0, 0}, screen);
    copyPicture(openStringsArea->picture(), {0, 0}, openBuffer_, {0, 0}, openStringsArea->size());
    neckArea->update();
    openStringsArea->update();
}

void FretboardView::drawStringRows() {
    const int from = FRET_CELL_WIDTH * (guitar_.neckPos - 1);
    const int width = neckArea->width();
    for (int s = 0; s < STRING_COUNT; ++s)
        copyPicture(neckBuffer_, {0, stringRowY(s)}, neckImage_, {from, stringRowY(s)}, {width, 3});
    drawHoverLine(neckBuffer_);
    for (int s = 0; s < STRING_COUNT; ++s) {
        const std::uint8_t fret = guitar_.frets[s];
        if (fret >= 1 && fret <= 254)
            drawFingerMark(neckBuffer_, s);
        copyPicture(neckArea->picture(), {0, stringRowY(s)}, neckBuffer_, {0, stringRowY(s)},
                    {width - 1, 3});
    }
    neckArea->update();
}

void FretboardView::clearNeckHover() {
    bool columnWas = false;
    if (hover_.clearNeckHover(columnWas))
        drawNeck();
    if (columnWas)
        hoverNoteEdit->clear();
}

void FretboardView::showHoverNote() {
    if (const auto text = hoverNoteText(guitar_, hover_))
        hoverNoteEdit->setText(QString::fromStdString(*text));
}

void FretboardView::afterPress(const GuitarChange& change, const NeckHover& hit) {
    emit guitarChanged(change);
    hover_.hoverString = hit.hoverString;
    hover_.hoverColumn = hit.hoverColumn;
    showHoverNote();
}

void FretboardView::pressNeck(Qt::MouseButton button, int x, int y) {
    hover_.hitTest(x, y);
    const NeckHover hit = hover_;
    afterPress(controller_.pressNeck(hit.hoverString, hit.hoverColumn, buttonOf(button)), hit);
}

void FretboardView::moveOverNeck(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x,
                                 int y) {
    hover_.hitTest(x, y);
    if (hover_.hoverString != NO_STRING)
        showHoverNote();
    if (hover_.lastString != hover_.hoverString)
        drawStringRows();
    // Dragging across the strings with the right button alone plucks each string once as the
    // mouse enters its row.
    const std::uint8_t h = hover_.hoverString;
    if (buttons == Qt::RightButton && modifiers == Qt::NoModifier && h != NO_STRING &&
        h != hover_.lastString)
        controller_.pluckString(h);
}

void FretboardView::releaseNeck() {
    controller_.silence();
}

void FretboardView::pressOpenStrings(Qt::MouseButton button, int x, int y) {
    // The strip's rows are the neck's string rows shifted up.
    hover_.hitTest(x, y + OPEN_GEN_Y_SHIFT);
    const NeckHover hit = hover_;
    afterPress(controller_.pressOpenStrip(hit.hoverString, buttonOf(button)), hit);
}

void FretboardView::moveOverOpenStrings(int /*x*/, int y) {
    hover_.hitTest(0, y + OPEN_GEN_Y_SHIFT);
    showHoverNote();
}

void FretboardView::releaseOpenStrings() {
    controller_.silence();
}

void FretboardView::onNeckScrolled(int position) {
    emit guitarChanged(controller_.scrollNeck(position));
}

} // namespace cadenzo
