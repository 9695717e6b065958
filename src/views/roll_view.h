#pragma once

#include "views/image_control.h"

#include <QImage>
#include <QObject>

class QComboBox;
class QScrollBar;
class QWidget;

namespace cadenzo {

struct Guitar;

// The roll view beside the fretboard: `rollImage` shows the held chord as a piano roll or as
// TAB and MML text, chosen by `printModeBox`; `rollbar` scrolls the keyboard. It draws the
// pitches the model holds (stringNote is kept current by the fretboard controller).
class RollView : public QObject {
    Q_OBJECT

public:
    RollView(QWidget* parent, const Guitar& guitar);

    ImageControl* rollImage;
    QComboBox* printModeBox;
    QScrollBar* rollScrollBar;

    void refreshRollView();
    void drawPianoRoll();
    void drawTabMml();
    int rollOffset() const { return rollOffset_; }

signals:
    // The view was drawn again; the window clears the fretboard's hover on it.
    void refreshed();

private:
    void makePictures(int width = 0);

    const Guitar& guitar_;
    QImage rollBuffer_;
    QImage roll_p_;
    QImage rollbuffer3_;
    int rollOffset_ = 200;
};

} // namespace cadenzo
