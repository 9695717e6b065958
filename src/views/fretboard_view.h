#pragma once

#include "fretboard/fretboard_controller.h"
#include "views/image_control.h"
#include "views/neck_geometry.h"

#include <QImage>
#include <QObject>

class QLineEdit;
class QScrollBar;
class QWidget;

namespace cadenzo {

// The fretboard: the neck `neckArea`, the open-string strip `openStringsArea`, the scroll bar
// `neckScrollBar` and the pitch field `playnote`. It draws the guitar model and hands every mouse
// action, hit tested once, to the fretboard controller; what the controller reports changed goes
// out through guitarChanged for the window to show.
class FretboardView : public QObject {
    Q_OBJECT

public:
    FretboardView(QWidget* parent, const Guitar& guitar, FretboardController& controller);

    ImageControl* neckArea;
    ImageControl* openStringsArea;
    QScrollBar* neckScrollBar;
    QLineEdit* hoverNoteEdit;

    void drawNeck();
    void drawStringRows();
    void clearNeckHover();
    void showHoverNote();

    void pressNeck(Qt::MouseButton button, int x, int y);
    void moveOverNeck(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void releaseNeck();
    void pressOpenStrings(Qt::MouseButton button, int x, int y);
    void moveOverOpenStrings(int x, int y);
    void releaseOpenStrings();
    void onNeckScrolled(int position);

    // The neck scroll bar follows neckPos without running the scroll handler.
    void setNeckBarPosition(int position);
    // Shows the fretboard's part of a change: the scroll bar's range and position (neither runs
    // the scroll handler) and the neck.
    void showChange(const GuitarChange& change);

    const NeckHover& hover() const { return hover_; }
    const QImage& neckImage() const { return neckImage_; }

signals:
    // The guitar changed under the mouse; the window shows the change.
    void guitarChanged(const GuitarChange& change);

private:
    void makePictures();
    void drawHoverLine(QImage& buffer);
    void drawFingerMark(QImage& buffer, int s);
    // Sends out the change a press made. The roll view's refresh clears the hover while the
    // change is shown, but the mouse still stands where it pressed: the hover comes back and
    // names its pitch.
    void afterPress(const GuitarChange& change, const NeckHover& hit);

    const Guitar& guitar_;
    FretboardController& controller_;
    NeckHover hover_;
    QImage neckImage_;
    QImage neckBuffer_;
    QImage openBuffer_;
    bool settingBar_ = false;
};

} // namespace cadenzo
