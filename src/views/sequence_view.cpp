#include "views/sequence_view.h"

#include "controls/pixel_draw.h"
#include "model/chords.h"
#include "seq/seq_geometry.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <optional>

namespace cadenzo {

namespace {

// The view's colours are its own; the window's colour scheme does not reach them.
constexpr QRgb WHITE = 0xFFFFFFFF;
constexpr QRgb BLACK = 0xFF000000;
constexpr QRgb LIGHT_GREY = 0xFFDDDDDD;
constexpr QRgb DARK_GREEN = 0xFF008800;
constexpr QRgb PLAY_GREEN = 0xFF00FF00;
constexpr QRgb EVENT_BLUE = 0xFF0000FF;
constexpr QRgb PENDING_CUT_CYAN = 0xFF00FFFF;
constexpr QRgb OTHER_LANE_PINK = 0xFFFFAAFF;
constexpr QRgb CURSOR_RED = 0xFFFF0000;
constexpr QRgb LOOP_BAND_ORANGE = 0xFFFFD080;
constexpr int LOOP_BAND_BOTTOM = 14; // the bar-number row, above the bar lines

// Font sizes in points.
constexpr int TABLATURE_LETTER_POINTS = 11;
constexpr int SIGNATURE_POINTS = 18;
constexpr int BAR_NUMBER_POINTS = 10;
constexpr int FRET_POINTS = 9;
constexpr int CHORD_NAME_POINTS = 8;

// The lane's base line is two pixels thick and lies on and below row 122, so the velocity bars
// that stand on it keep their lowest row (a velocity of 0 still shows two rows).
constexpr int BASE_LINE_ROWS = 2;
// The play line drawn over the screen: the six columns behind it are restored from the composed
// image, rows 1..120 of the screen; the line itself covers rows 2..119.
constexpr int PLAY_LINE_TRAIL = 6;
constexpr int PLAY_LINE_TOP = 2;

// Rows [first, end) of two pictures of one size and ratio.
void copyRows(QImage& to, const QImage& from, int first, int end) {
    const auto bytes = static_cast<std::size_t>(std::min(to.bytesPerLine(), from.bytesPerLine()));
    const int last = std::min(deviceEdge(to, end, true), deviceEdge(from, end, true));
    for (int y = std::max(deviceEdge(to, first, true), 0); y < last; ++y)
        std::memcpy(to.scanLine(y), from.constScanLine(y), bytes);
}

std::optional<MouseButton> buttonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return MouseButton::Left;
    case Qt::RightButton:
        return MouseButton::Right;
    case Qt::MiddleButton:
        return MouseButton::Middle;
    default:
        return std::nullopt;
    }
}

unsigned shiftOf(const QMouseEvent& event) {
    const Qt::KeyboardModifiers keys = event.modifiers();
    const Qt::MouseButtons buttons = event.buttons();
    unsigned shift = 0;
    shift |= keys.testFlag(Qt::ShiftModifier) ? SHIFT_KEY : 0u;
    shift |= keys.testFlag(Qt::ControlModifier) ? CTRL_KEY : 0u;
    shift |= keys.testFlag(Qt::AltModifier) ? ALT_KEY : 0u;
    shift |= buttons.testFlag(Qt::LeftButton) ? LEFT_HELD : 0u;
    shift |= buttons.testFlag(Qt::RightButton) ? RIGHT_HELD : 0u;
    shift |= buttons.testFlag(Qt::MiddleButton) ? MIDDLE_HELD : 0u;
    return shift;
}

} // namespace

SequenceView::SequenceView(Song& song, UndoHistory& history, EventFields& fields, SeqMouse& mouse,
                           QWidget* parent)
    : QWidget(parent), song_(song), history_(history), fields_(fields), mouse_(mouse),
      scrollMax_(SEQ_BAR_INITIAL_MAX) {
    setObjectName(QStringLiteral("seq_screen"));
    setToolTip(QStringLiteral("Sequence Area"));
    setFixedHeight(SEQ_HEIGHT);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    fitImages();
}

void SequenceView::setLane(SeqLane lane) {
    lane_ = lane;
    redrawLaneAndEvents();
}

SeqLane SequenceView::lane() const {
    return lane_;
}

void SequenceView::setScrollMaximum(int max) {
    scrollMax_ = max;
}

QImage SequenceView::screenImage() const {
    return screen_;
}

// The screen follows the widget's width; the two off-screen images are at least as wide as the
// widest view a window can have. All three are device-sized for the widget's screen.
void SequenceView::fitImages() {
    const int width = std::max(this->width(), 1);
    const int bitmapWidth = std::max(SEQ_BITMAP_WIDTH, width);
    const qreal ratio = devicePixelRatioF();
    const bool newRatio = screen_.devicePixelRatio() != ratio;
    if (logicalSize(grid_).width() != bitmapWidth || newRatio) {
        grid_ = makePicture({bitmapWidth, SEQ_BITMAP_HEIGHT}, ratio);
        grid_.fill(WHITE);
        composed_ = grid_.copy();
    }
    if (logicalSize(screen_) != QSize(width, SEQ_HEIGHT) || newRatio) {
        screen_ = makePicture({width, SEQ_HEIGHT}, ratio);
        screen_.fill(WHITE);
        playLineX_ = -1;
    }
}

bool SequenceView::followRatio() {
    if (screen_.devicePixelRatio() == devicePixelRatioF())
        return false;
    const int playLine = playLineX_; // the new pictures start without one
    drawGridLayer();
    drawLaneLayer();
    drawEventLayer();
    if (playLine >= 0)
        showPlayLine(playLine);
    return true;
}

void SequenceView::redrawAll() {
    drawGridLayer();
    redrawLaneAndEvents();
}

void SequenceView::redrawLaneAndEvents() {
    if (!followRatio()) {
        drawLaneLayer();
        drawEventLayer();
    }
    update();
}

void SequenceView::redrawEvents() {
    if (!followRatio())
        drawEventLayer();
    update();
}

void SequenceView::redrawLane() {
    if (!followRatio())
        drawLaneLayer();
    update();
}

void SequenceView::drawGridLayer() {
    fitImages();
    const int width = logicalSize(screen_).width();
    const ViewGeometry view = viewOf(song_.edit);
    fillBox(grid_, 0, 0, width, SEQ_HEIGHT, WHITE);
    if (loopFirstBar_ > 0) {
        const auto& meter = song_.meterTable;
        const auto x = [&](int bar) {
            const auto tick = static_cast<std::int32_t>(meter[bar].endTick);
            return tick <= view.viewStartTick ? 0 : std::min(tickToX(meter, view, tick), width);
        };
        fillBox(grid_, x(loopFirstBar_ - 1), 0, x(loopLastBar_), LOOP_BAND_BOTTOM,
                LOOP_BAND_ORANGE);
    }
    stamps_.Write(grid_, 10, 35, QStringLiteral("T"), TABLATURE_LETTER_POINTS, BLACK, false);
    stamps_.Write(grid_, 10, 48, QStringLiteral("A"), TABLATURE_LETTER_POINTS, BLACK, false);
    stamps_.Write(grid_, 10, 61, QStringLiteral("B"), TABLATURE_LETTER_POINTS, BLACK, false);

    struct GridPainter {
        QImage& image;
        TextStamps& stamps;
        void signature(int x, int /*bar*/, int num, int den) {
            stamps.writeNumber(image, x, NUMERATOR_TOP, num, SIGNATURE_POINTS, BLACK, false);
            stamps.writeNumber(image, x, DENOMINATOR_TOP, den, SIGNATURE_POINTS, BLACK, false);
        }
        void barNumber(int x, int bar) {
            stamps.writeNumber(image, x, BAR_NUMBER_TOP, bar, BAR_NUMBER_POINTS, DARK_GREEN, false);
        }
        void line(const GridLine& line) {
            fillBox(image, line.x, line.top, line.x + 1, line.bottom,
                    line.black ? BLACK : LIGHT_GREY);
        }
    };
    layoutGrid(song_.meterTable, view, song_.edit.tripletGrid, width, GridPainter{grid_, stamps_});

    for (int s = 0; s < STRING_COUNT; ++s) {
        const int y = STRING_LINE_TOP + STRING_LINE_STEP * s;
        fillBox(grid_, 0, y, width, y + 1, BLACK);
    }
    const int playX = tickToX(song_.meterTable, view, song_.playTick);
    fillBox(grid_, playX, 0, playX + 1, PLAY_LINE_BOTTOM, PLAY_GREEN);
}

void SequenceView::drawLaneItem(const SongEvent& event, int x, SeqLane lane, QRgb colour) {
    const ViewGeometry view = viewOf(song_.edit);
    if (lane == SeqLane::Velocity) {
        const LaneRect r = velocityItem(song_.meterTable, view, event, x);
        drawFrame(composed_, r.x1, r.y1, r.x2, r.y2, colour);
        return;
    }
    const LaneRect r = strokeItem(song_.meterTable, view, event, x);
    drawFrame(composed_, r.x1, r.y1, r.x2, r.y2, colour);
    const StrokeArrow arrow = arrowOf(event, x);
    const QColor pen = QColor::fromRgb(colour);
    drawLineTo(composed_, arrow.shaftFrom.x, arrow.shaftFrom.y, arrow.shaftTo.x, arrow.shaftTo.y,
               pen);
    for (int k = 0; k + 1 < static_cast<int>(arrow.head.size()); ++k)
        drawLineTo(composed_, arrow.head[k].x, arrow.head[k].y, arrow.head[k + 1].x,
                   arrow.head[k + 1].y, pen);
}

void SequenceView::drawLaneLayer() {
    fitImages();
    const int width = logicalSize(screen_).width();
    const ViewGeometry view = viewOf(song_.edit);
    copyRows(composed_, grid_, LANE_LAYER_TOP, SEQ_BITMAP_HEIGHT);
    // The lane not chosen in `seqData` first, in pink, so the chosen one stands in front.
    const SeqLane other = lane_ == SeqLane::Velocity ? SeqLane::Stroke : SeqLane::Velocity;
    forEachShownEvent(song_, view, width, [&](int i, int x) {
        drawLaneItem(song_.songEvents[i], x, other, OTHER_LANE_PINK);
    });
    forEachShownEvent(song_, view, width, [&](int i, int x) {
        const SongEvent& event = song_.songEvents[i];
        drawLaneItem(event, x, lane_,
                     inPendingCut(song_.edit, event) ? PENDING_CUT_CYAN : EVENT_BLUE);
    });
    fillBox(composed_, 0, LANE_BASE_Y, logicalSize(composed_).width(), LANE_BASE_Y + BASE_LINE_ROWS,
            LIGHT_GREY);
    copyToScreen(LANE_LAYER_TOP, SEQ_HEIGHT - 87); // to screen rows 86..127
}

void SequenceView::drawEventColumn(const SongEvent& event, int x, QRgb colour, bool withName) {
    const std::array<FretLabel, STRING_COUNT> labels = fretLabels(event, x);
    for (int s = 0; s < STRING_COUNT; ++s) {
        if (labels[s].shown)
            stamps_.writeNumber(composed_, labels[s].x, labels[s].y, event.frets[s], FRET_POINTS,
                                colour, true);
    }
    if (withName && event.root < CHORD1_ITEMS) {
        const std::string name = chordName(ChordSelection{event.root, event.chordType});
        stamps_.Write(composed_, x - CHORD_NAME_OFFSET, CHORD_NAME_TOP,
                      QString::fromStdString(name), CHORD_NAME_POINTS, colour, true);
    }
}

void SequenceView::drawEventLayer() {
    fitImages();
    const int width = logicalSize(screen_).width();
    const ViewGeometry view = viewOf(song_.edit);
    copyRows(composed_, grid_, 0, EVENT_LAYER_BOTTOM + 1);
    ChordNameRun names;
    forEachShownEvent(song_, view, width, [&](int i, int x) {
        const SongEvent& event = song_.songEvents[i];
        drawEventColumn(event, x, inPendingCut(song_.edit, event) ? PENDING_CUT_CYAN : EVENT_BLUE,
                        names.Next(event));
    });
    const int xc = tickToX(song_.meterTable, view, song_.edit.cursorTick);
    const LaneRect cursor = cursorRect(xc);
    drawFrame(composed_, cursor.x1, cursor.y1, cursor.x2, cursor.y2, CURSOR_RED);
    const int xa = tickToX(song_.meterTable, view, song_.edit.anchorTick);
    // The band is 84 rows high from row 25, but only its part in the event layer ever reaches
    // the screen: the lane below it is left as drawn, so that a later copy of the whole composed
    // image (the velocity line, the play line) does not show an inverted lane.
    if (const SelectionBand band = selectionOf(xa, xc); band.shown)
        invertBox(composed_, band.left, SELECTION_TOP, band.right,
                  std::min(SELECTION_TOP + SELECTION_HEIGHT, EVENT_LAYER_BOTTOM + 1));
    copyToScreen(0, EVENT_LAYER_BOTTOM + 1);
}

void SequenceView::copyToScreen(int firstRow, int rows) {
    const int width = logicalSize(screen_).width();
    if (width < 3)
        return;
    copyBox(screen_, {1, firstRow + 1}, composed_, {1, firstRow}, {width - 2, rows});
}

void SequenceView::showPlayLine(int x) {
    const int width = logicalSize(screen_).width();
    // Columns x - 6 .. x of screen rows 1..120 as the composed image holds them (within the
    // columns the screen takes from it).
    const auto restore = [&](int at) {
        const int left = std::max(at - PLAY_LINE_TRAIL, 1), right = std::min(at, width - 2);
        copyBox(screen_, {left, 1}, composed_, {left, 0}, {right - left + 1, PLAY_LINE_BOTTOM});
    };
    if (playLineX_ >= 0)
        restore(playLineX_);
    playLineX_ = x;
    // Only over the columns that take the composed image, so that the next move restores it.
    if (x >= 1 && x <= width - 2) {
        restore(x);
        fillBox(screen_, x, PLAY_LINE_TOP, x + 1, PLAY_LINE_BOTTOM, BLACK);
    }
    update();
}

// Moved to a screen of another ratio, the view is drawn again at the new one (see ImageControl).
bool SequenceView::event(QEvent* event) {
    if (event->type() == QEvent::ScreenChangeInternal)
        update();
    return QWidget::event(event);
}

void SequenceView::paintEvent(QPaintEvent* /*event*/) {
    followRatio();
    QPainter painter(this);
    painter.drawImage(0, 0, screen_);
}

void SequenceView::resizeEvent(QResizeEvent* /*event*/) {
    song_.edit.seqWidth = width();
    redrawAll();
}

SeqMouseContext SequenceView::mouseContext() {
    return SeqMouseContext{song_, history_, fields_, mouse_, lane_, scrollMax_};
}

void SequenceView::ApplyMouseResult(const MouseResult& result) {
    if (result.redrawAll)
        redrawAll();
    else if (result.redrawEvents && result.redrawLane)
        redrawLaneAndEvents();
    else if (result.redrawEvents)
        redrawEvents();
    else if (result.redrawLane)
        redrawLane();
    if (result.rubberBand) {
        // Drawn again, the old line goes; then the new one, and the whole composed image
        // reaches the screen.
        const QColor red = QColor::fromRgb(CURSOR_RED);
        notXorLineTo(composed_, result.erase.x1, result.erase.y1, result.erase.x2, result.erase.y2,
                     red);
        notXorLineTo(composed_, result.draw.x1, result.draw.y1, result.draw.x2, result.draw.y2,
                     red);
        copyToScreen(0, SEQ_HEIGHT - 2);
    }
    switch (result.pointer) {
    case PointerShape::Unchanged:
        break;
    case PointerShape::Default:
        setCursor(Qt::ArrowCursor);
        break;
    case PointerShape::HorizontalResize:
        setCursor(Qt::SizeHorCursor);
        break;
    case PointerShape::VerticalResize:
        setCursor(Qt::SizeVerCursor);
        break;
    }
    if (result.repaint)
        update();
}

void SequenceView::mousePressEvent(QMouseEvent* event) {
    const std::optional<MouseButton> button = buttonOf(event->button());
    if (!button)
        return;
    SeqMouseContext context = mouseContext();
    const QPoint at = event->position().toPoint();
    const MouseResult result = pressSequence(context, *button, shiftOf(*event), at.x(), at.y());
    ApplyMouseResult(result);
    emit mouseEdited(result);
}

void SequenceView::mouseMoveEvent(QMouseEvent* event) {
    SeqMouseContext context = mouseContext();
    const QPoint at = event->position().toPoint();
    const MouseResult result = moveOverSequence(context, shiftOf(*event), at.x(), at.y());
    ApplyMouseResult(result);
    emit mouseEdited(result);
}

void SequenceView::mouseReleaseEvent(QMouseEvent* event) {
    const std::optional<MouseButton> button = buttonOf(event->button());
    if (!button)
        return;
    SeqMouseContext context = mouseContext();
    const QPoint at = event->position().toPoint();
    const MouseResult result = releaseSequence(context, *button, shiftOf(*event), at.x(), at.y());
    ApplyMouseResult(result);
    emit mouseEdited(result);
}

// The second press of a double click is a press like any other, after the double click itself
// has been reported.
void SequenceView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        emit doubleClicked(at.x(), at.y());
    }
    mousePressEvent(event);
}

void SequenceView::setLoopBand(int firstBar, int lastBar) {
    loopFirstBar_ = std::clamp(firstBar, 0, BAR_COUNT);
    loopLastBar_ = std::clamp(lastBar, loopFirstBar_, BAR_COUNT);
    redrawAll();
}

} // namespace cadenzo
