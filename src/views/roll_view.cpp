#include "views/roll_view.h"

#include "controls/pixel_draw.h"
#include "model/guitar.h"
#include "views/pictures.h"
#include "views/roll_layout.h"

#include <QComboBox>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace cadenzo {

namespace {

void writeText(QPainter& p, int x, int y, const QString& text, QColor colour) {
    p.setPen(colour);
    p.drawText(QRect(x, y, 60, 30), Qt::AlignLeft | Qt::AlignTop, text);
}

} // namespace

RollView::RollView(QWidget* parent, const Guitar& guitar) : guitar_(guitar) {
    rollImage = new ImageControl(QStringLiteral("rollScreen"), parent);
    rollImage->resize(TAB_PICTURE_WIDTH, TAB_PICTURE_HEIGHT);
    printModeBox = new QComboBox(parent);
    printModeBox->setObjectName(QStringLiteral("rollPrintMode"));
    printModeBox->addItem(QStringLiteral("Piano roll"));
    printModeBox->addItem(QString::fromUtf8("TAB ＆ MML"));
    rollScrollBar = new QScrollBar(Qt::Vertical, parent);
    rollScrollBar->setObjectName(QStringLiteral("rollbar"));
    rollScrollBar->setRange(0, 26);
    rollScrollBar->setValue(20);

    makePictures();

    connect(rollImage, &ImageControl::ratioChanged, this, [this] { refreshRollView(); });
    connect(printModeBox, &QComboBox::currentIndexChanged, this,
            [this](int) { refreshRollView(); });
    connect(rollScrollBar, &QScrollBar::valueChanged, this, [this](int value) {
        rollOffset_ = 10 * value;
        refreshRollView();
    });
}

// The view's pictures at the view's device pixel ratio, the buffer at least `width` wide.
void RollView::makePictures(int width) {
    const qreal ratio = rollImage->devicePixelRatioF();
    roll_p_ = makeKeyboardPicture(ratio);
    rollbuffer3_ = makeTabPicture(ratio);
    rollBuffer_ = makePicture({std::max(width, TAB_PICTURE_WIDTH), ROLL_BUFFER_HEIGHT}, ratio);
}

void RollView::refreshRollView() {
    const QSize screen = rollImage->size();
    if (rollBuffer_.devicePixelRatio() != rollImage->devicePixelRatioF())
        makePictures(screen.width());
    else if (logicalSize(rollBuffer_).width() < screen.width())
        rollBuffer_ =
            makePicture({screen.width(), ROLL_BUFFER_HEIGHT}, rollBuffer_.devicePixelRatio());
    {
        QPainter p(&rollBuffer_);
        p.fillRect(QRect(QPoint(0, 0), screen), Qt::white);
    }
    if (printModeBox->currentIndex() == 0)
        drawPianoRoll();
    else if (printModeBox->currentIndex() == 1)
        drawTabMml();
    copyPicture(rollImage->picture(), {0, 0}, rollBuffer_, {0, 0}, screen);
    emit refreshed();
    rollImage->update();
}

void RollView::drawPianoRoll() {
    rollScrollBar->show();
    copyPicture(rollBuffer_, {0, 0}, roll_p_, {0, rollOffset_}, rollImage->size());
    QPainter p(&rollBuffer_);
    for (int s = 0; s < STRING_COUNT; ++s) {
        if (guitar_.frets[s] == SILENT)
            continue;
        const int y = pianoBarY(guitar_.stringNote[s], rollOffset_);
        p.fillRect(61, y, 34, 5, QColor(255, 0, 0));
        p.fillRect(61, y + 1, 34, 1, Qt::white);
    }
}

void RollView::drawTabMml() {
    rollScrollBar->hide();
    copyPicture(rollBuffer_, {0, 0}, rollbuffer3_, {0, 0}, rollImage->size());
    const TabMmlLayout layout = layoutTabMml(guitar_);
    QPainter p(&rollBuffer_);
    QFont font = p.font();
    font.setStyleStrategy(QFont::NoAntialias); // exact colours, no blending
    font.setBold(true);
    font.setPixelSize(21); // 16 points on a 96 dpi screen
    p.setFont(font);
    for (const TabMark& mark : layout.tab) {
        if (!mark.present)
            continue;
        const QString fret = QString::number(mark.fret);
        writeText(p, mark.x + 1, mark.y + 1, fret, QColor(0, 255, 255));
        writeText(p, mark.x, mark.y, fret, QColor(0, 0, 255));
    }
    font.setBold(false);
    font.setPixelSize(15); // 11 points
    p.setFont(font);
    for (const MmlMark& mark : layout.mml) {
        if (!mark.present)
            continue;
        if (mark.showOctave) {
            const QString octave = QString::number(mark.octave);
            writeText(p, 93, mark.y, octave, QColor(128, 0, 0));
            writeText(p, 92, mark.y, octave, QColor(255, 0, 255));
        }
        const QString name = QString::fromLatin1(noteName[mark.pitchClass]);
        writeText(p, 101, mark.y, name, Qt::black);
        writeText(p, 100, mark.y, name, QColor(255, 0, 0));
    }
}

} // namespace cadenzo
