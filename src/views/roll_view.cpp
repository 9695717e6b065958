#include "views/roll_view.h"

#include "model/guitar.h"
#include "views/pictures.h"
#include "views/roll_layout.h"

#include <QComboBox>
#include <QPainter>
#include <QScrollBar>

namespace cadenzo {

namespace {

void WriteText(QPainter& p, int x, int y, const QString& text, QColor colour) {
    p.setPen(colour);
    p.drawText(QRect(x, y, 60, 30), Qt::AlignLeft | Qt::AlignTop, text);
}

} // namespace

RollView::RollView(QWidget* parent, const Guitar& guitar) : guitar_(guitar) {
    rollScreen = new ImageControl(QStringLiteral("rollScreen"), parent);
    rollScreen->resize(TAB_PICTURE_WIDTH, TAB_PICTURE_HEIGHT);
    rollPrintMode = new QComboBox(parent);
    rollPrintMode->setObjectName(QStringLiteral("rollPrintMode"));
    rollPrintMode->addItem(QStringLiteral("Piano roll"));
    rollPrintMode->addItem(QString::fromUtf8("TAB ＆ MML"));
    rollbar = new QScrollBar(Qt::Vertical, parent);
    rollbar->setObjectName(QStringLiteral("rollbar"));
    rollbar->setRange(0, 26);
    rollbar->setValue(20);

    roll_p_ = MakeKeyboardPicture();
    rollbuffer3_ = MakeTabPicture();
    rollBuffer_ = QImage(TAB_PICTURE_WIDTH, ROLL_BUFFER_HEIGHT, QImage::Format_RGB32);

    connect(rollPrintMode, &QComboBox::currentIndexChanged, this, [this](int) { RefreshRoll(); });
    connect(rollbar, &QScrollBar::valueChanged, this, [this](int value) {
        rollOffset_ = 10 * value;
        RefreshRoll();
    });
}

void RollView::RefreshRoll() {
    const QSize screen = rollScreen->size();
    if (rollBuffer_.width() < screen.width()) {
        rollBuffer_ = QImage(screen.width(), ROLL_BUFFER_HEIGHT, QImage::Format_RGB32);
    }
    {
        QPainter p(&rollBuffer_);
        p.fillRect(QRect(QPoint(0, 0), screen), Qt::white);
    }
    if (rollPrintMode->currentIndex() == 0)
        DrawPianoRoll();
    else if (rollPrintMode->currentIndex() == 1)
        DrawTabMml();
    CopyPicture(rollScreen->picture(), {0, 0}, rollBuffer_, {0, 0}, screen);
    emit refreshed();
    rollScreen->update();
}

void RollView::DrawPianoRoll() {
    rollbar->show();
    CopyPicture(rollBuffer_, {0, 0}, roll_p_, {0, rollOffset_}, rollScreen->size());
    QPainter p(&rollBuffer_);
    for (int s = 0; s < STRING_COUNT; ++s) {
        if (guitar_.flet[s] == SILENT)
            continue;
        const int y = PianoBarY(guitar_.stringNote[s], rollOffset_);
        p.fillRect(61, y, 34, 5, QColor(255, 0, 0));
        p.fillRect(61, y + 1, 34, 1, Qt::white);
    }
}

void RollView::DrawTabMml() {
    rollbar->hide();
    CopyPicture(rollBuffer_, {0, 0}, rollbuffer3_, {0, 0}, rollScreen->size());
    const TabMmlLayout layout = LayoutTabMml(guitar_);
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
        WriteText(p, mark.x + 1, mark.y + 1, fret, QColor(0, 255, 255));
        WriteText(p, mark.x, mark.y, fret, QColor(0, 0, 255));
    }
    font.setBold(false);
    font.setPixelSize(15); // 11 points
    p.setFont(font);
    for (const MmlMark& mark : layout.mml) {
        if (!mark.present)
            continue;
        if (mark.showOctave) {
            const QString octave = QString::number(mark.octave);
            WriteText(p, 93, mark.y, octave, QColor(128, 0, 0));
            WriteText(p, 92, mark.y, octave, QColor(255, 0, 255));
        }
        const QString name = QString::fromLatin1(noteName[mark.pitchClass]);
        WriteText(p, 101, mark.y, name, Qt::black);
        WriteText(p, 100, mark.y, name, QColor(255, 0, 0));
    }
}

} // namespace cadenzo
