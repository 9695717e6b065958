#pragma once

#include "views/image_control.h"

#include <QImage>

#include <functional>

class QComboBox;
class QScrollBar;
class QWidget;

namespace cadenzo {

struct Guitar;

// The roll view beside the fretboard: `rollScreen` shows the held chord as a piano roll or as
// TAB and MML text, chosen by `rollPrintMode`; `rollbar` scrolls the keyboard.
class RollView {
public:
    // leaveNeck runs at the end of every refresh (the fretboard's hover is cleared).
    RollView(QWidget* parent, Guitar& guitar, std::function<void()> leaveNeck);

    ImageControl* rollScreen;
    QComboBox* rollPrintMode;
    QScrollBar* rollbar;

    void RefreshRoll();
    void DrawPianoRoll();
    void DrawTabMml();
    int rollOffset() const { return rollOffset_; }

private:
    Guitar& guitar_;
    std::function<void()> leaveNeck_;
    QImage rollBuffer_;
    QImage roll_p_;
    QImage rollbuffer3_;
    int rollOffset_ = 200;
};

} // namespace cadenzo
