#pragma once

#include "seq/event_fields.h"
#include "seq/seq_mouse.h"
#include "seq/song.h"
#include "seq/undo.h"
#include "views/text_stamps.h"

#include <QImage>
#include <QWidget>

namespace cadenzo {

// The sequence view `seq_screen`: draws the song from the core's state into its two off-screen
// images (grid layer; event and lane layers composed) and copies them to the screen; translates
// the mouse into the core's editing engine. Window thread only.
class SequenceView : public QWidget {
    Q_OBJECT
public:
    SequenceView(Song& song, UndoHistory& history, EventFields& fields, SeqMouse& mouse,
                 QWidget* parent = nullptr); // objectName "seq_screen", fixed height 129

    void setLane(SeqLane lane); // `seqData`; calls redrawLaneAndEvents()
    SeqLane lane() const;
    void setScrollMaximum(int max); // maximum of `seqBar`, handed to the editing engine
    // The four redraws of the view; each ends by repainting the widget (update()).
    void redrawAll(); // grid layer, then redrawLaneAndEvents()
    void redrawLaneAndEvents();
    void redrawEvents();
    void redrawLane();
    // Play line at pixel x (window thread): the columns of the previous play line are restored
    // from the composed image first; x < 0 only removes the old one.
    void showPlayLine(int x);
    // The loop range as a band in the bar-number row: bars first..last, or none when first is
    // 0. Redraws the view.
    void setLoopBand(int firstBar, int lastBar);
    // The picture as the screen shows it (for tests and screenshots), device-sized.
    QImage screenImage() const;

signals:
    // After a mouse press/move/release the view has applied its own part of the result (redraws,
    // pointer shape, the velocity rubber band); the window does the rest (fields, seqBar, locate,
    // status panels 0 and 1, playback redraw request).
    void mouseEdited(const cadenzo::MouseResult& result);
    // A double click at tick position (x, y) in view pixels: the window sends the event there to
    // the fretboard (sendEventToFretboard) and refreshes the neck.
    void doubleClicked(int x, int y);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    SeqMouseContext mouseContext();
    void ApplyMouseResult(const MouseResult& result);
    void fitImages();
    // On a screen of another ratio than the pictures', draws every layer again at the new one
    // (the play line too) and returns true.
    bool followRatio();
    void drawGridLayer();
    void drawLaneLayer();
    void drawEventLayer();
    void drawLaneItem(const SongEvent& event, int x, SeqLane lane, QRgb colour);
    void drawEventColumn(const SongEvent& event, int x, QRgb colour, bool withName);
    // Copies rows of the composed image to the screen one row lower, leaving the outer columns.
    void copyToScreen(int firstRow, int rows);

    Song& song_;
    UndoHistory& history_;
    EventFields& fields_;
    SeqMouse& mouse_;
    SeqLane lane_ = SeqLane::Velocity;
    int loopFirstBar_ = 0, loopLastBar_ = 0;
    int scrollMax_;
    QImage grid_;     // the grid layer
    QImage composed_; // grid with the event and lane layers; the screen shows it one row lower
    QImage screen_;   // what the widget shows, the size of the widget
    int playLineX_ = -1;
    TextStamps stamps_;
};

} // namespace cadenzo
