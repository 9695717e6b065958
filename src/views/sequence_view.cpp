// A plain stand-in for the sequence view: a white picture, no mouse.
#include "views/sequence_view.h"

#include "seq/seq_geometry.h"

#include <QPainter>

namespace cadenzo {

namespace {
SeqLane laneShown = SeqLane::Velocity;
} // namespace

SequenceView::SequenceView(Song& song, UndoHistory&, EventFields&, SeqMouse&, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("seq_screen"));
    setFixedHeight(SEQ_HEIGHT);
    (void)song;
}

void SequenceView::setLane(SeqLane lane) {
    laneShown = lane;
    redrawLaneAndEvents();
}

SeqLane SequenceView::lane() const {
    return laneShown;
}

void SequenceView::setScrollMaximum(int) {}

void SequenceView::redrawAll() {
    redrawLaneAndEvents();
}

void SequenceView::redrawLaneAndEvents() {
    update();
}

void SequenceView::redrawEvents() {
    update();
}

void SequenceView::redrawLane() {
    update();
}

void SequenceView::showPlayLine(int) {
    update();
}

QImage SequenceView::screenImage() const {
    QImage image(std::max(1, width()), SEQ_HEIGHT, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

} // namespace cadenzo
