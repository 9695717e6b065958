#include "views/pictures.h"

#include "controls/pixel_draw.h"

#include "views/neck_geometry.h"
#include "views/roll_layout.h"

#include <QPainter>

namespace cadenzo {

namespace {

const QColor kWood(222, 184, 135);
const QColor kWoodEdge(160, 110, 60);
const QColor kPlainString(90, 90, 90);
const QColor kWoundString(60, 50, 40);
const QColor kWoundShine(235, 225, 200);
const QColor kFretGrey(150, 150, 150);
const QColor kFretShine(250, 250, 250);

} // namespace

QImage makeFretCellPicture(qreal ratio) {
    QImage cell = makePicture({FRET_CELL_WIDTH, 120}, ratio);
    cell.fill(Qt::white);
    QPainter p(&cell);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 19, FRET_CELL_WIDTH, 96, kWood);
    p.fillRect(0, 19, FRET_CELL_WIDTH, 3, kWoodEdge);
    p.fillRect(0, 112, FRET_CELL_WIDTH, 3, kWoodEdge);
    // The fret wire: grey with a bright highlight down its middle.
    p.fillRect(2, 19, 5, 96, kFretGrey);
    p.fillRect(4, 19, 1, 96, kFretShine);
    for (int s = 0; s < 6; ++s) {
        const int y = stringRowY(s);
        if (s < 3) {
            p.fillRect(0, y, FRET_CELL_WIDTH, 1, kPlainString);
        } else {
            // Wound strings: two rows thick with a light dashed winding just below.
            p.fillRect(0, y, FRET_CELL_WIDTH, 2, kWoundString);
            for (int x = 0; x < FRET_CELL_WIDTH; x += 4)
                p.fillRect(x, y + 2, 2, 1, kWoundShine);
        }
    }
    return cell;
}

QImage makeNeckImage(int height, qreal ratio) {
    QImage neck = makePicture({NECK_IMAGE_WIDTH, height}, ratio);
    neck.fill(Qt::white);
    const QImage cell = makeFretCellPicture(ratio);
    for (int i = 0; i < NECK_CELLS; ++i)
        copyBox(neck, {FRET_CELL_WIDTH * i, 0}, cell, {0, 0}, logicalSize(cell));
    QPainter p(&neck);
    p.setRenderHint(QPainter::Antialiasing, false);

    // Position dots at frets 3, 5, 7, 9, 15, 17, 19, 21 and the double dot of fret 12; the boxes
    // run from (left, top) to (right, bottom) exclusive, as ellipses are drawn on this neck.
    p.setPen(Qt::black);
    p.setBrush(Qt::black);
    const auto dot = [&p](int left, int top, int right, int bottom) {
        p.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
    };
    for (int i : {0, 1, 2, 3, 6, 7, 8, 9})
        dot(100 * i + 124, 62, 100 * i + 137, 75);
    dot(580, 39, 594, 53);
    dot(580, 83, 594, 97);

    QFont font = p.font();

    font.setStyleStrategy(QFont::NoAntialias); // exact colours, no blending
    font.setBold(true);
    font.setPixelSize(15); // 11 points on a 96 dpi screen
    p.setFont(font);
    for (int i = 0; i < NECK_CELLS; ++i) {
        const QString number = QString::number(i + 1);
        const auto write = [&](int x, QColor colour) {
            p.setPen(colour);
            p.drawText(QRect(x, 3, FRET_CELL_WIDTH, 20), Qt::AlignLeft | Qt::AlignTop, number);
        };
        write(50 * i + 26, QColor(128, 0, 128));
        write(50 * i + 25, Qt::black);
    }
    return neck;
}

QImage makeKeyboardPicture(qreal ratio) {
    QImage keys = makePicture({ROLL_PICTURE_WIDTH, ROLL_PICTURE_HEIGHT}, ratio);
    keys.fill(Qt::white);
    QPainter p(&keys);
    p.setRenderHint(QPainter::Antialiasing, false);
    QFont font = p.font();
    font.setStyleStrategy(QFont::NoAntialias); // exact colours, no blending
    font.setPixelSize(9);
    p.setFont(font);
    for (int note = ROLL_TOP_NOTE; note >= 36; --note) {
        const int top = (ROLL_TOP_NOTE - note) * ROLL_ROWS_PER_SEMITONE;
        const int pc = note % 12;
        const bool black = pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10;
        if (black) {
            p.fillRect(0, top, 58, ROLL_ROWS_PER_SEMITONE, QColor(30, 30, 30));
        } else if (pc == 0 || pc == 5) {
            // The boundary between two white keys that have no black key between them.
            p.fillRect(0, top + ROLL_ROWS_PER_SEMITONE - 1, 60, 1, QColor(150, 150, 150));
        }
        if (pc == 0) {
            p.setPen(QColor(100, 100, 100));
            p.drawText(QRect(97, top - 3, 8, 12), Qt::AlignLeft | Qt::AlignTop,
                       QString::number(note / 12 - 2));
        }
    }
    p.fillRect(60, 0, 1, ROLL_PICTURE_HEIGHT, QColor(190, 190, 190));
    return keys;
}

QImage makeTabPicture(qreal ratio) {
    QImage tab = makePicture({TAB_PICTURE_WIDTH, TAB_PICTURE_HEIGHT}, ratio);
    tab.fill(Qt::white);
    QPainter p(&tab);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int s = 0; s < 6; ++s)
        p.fillRect(40, 22 + 20 * s + 10, 45, 1, QColor(170, 170, 170));
    p.fillRect(40, 32, 1, 101, QColor(120, 120, 120));
    p.fillRect(88, 20, 1, 125, QColor(200, 200, 200));
    QFont font = p.font();
    font.setStyleStrategy(QFont::NoAntialias); // exact colours, no blending
    font.setBold(true);
    font.setPixelSize(14);
    p.setFont(font);
    p.setPen(QColor(120, 120, 120));
    const char* letters[] = {"T", "A", "B"};
    for (int i = 0; i < 3; ++i)
        p.drawText(QRect(18, 48 + 22 * i, 16, 20), Qt::AlignCenter, letters[i]);
    font.setBold(false);
    font.setPixelSize(10);
    p.setFont(font);
    p.drawText(QRect(40, 150, 80, 14), Qt::AlignLeft | Qt::AlignTop, "TAB   MML");
    return tab;
}

} // namespace cadenzo
