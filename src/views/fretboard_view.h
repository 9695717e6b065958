#pragma once

#include "views/image_control.h"
#include "views/neck_geometry.h"

#include <QImage>

#include <functional>

class QLineEdit;
class QScrollBar;
class QWidget;

namespace cadenzo {

struct Guitar;
class MidiPort;

// The fretboard: the neck `NeckScreen`, the open-string strip `OpenGen`, the scroll bar `neckBar`
// and the pitch field `playnote`. It draws the guitar model and turns mouse actions into fret
// changes and single notes; what the rest of the window does after a change comes in through
// the hooks.
class FretboardView {
public:
    struct Hooks {
        std::function<bool()> playOnSetting; // "Play on setting" is checked
        std::function<bool()> positionLock;  // "Position Lock" is checked
        std::function<void()> recognize;     // RecognizeChord, then MatchUserChord
        std::function<void()> refreshRoll;
    };

    FretboardView(QWidget* parent, Guitar& guitar, MidiPort& port, Hooks hooks);

    ImageControl* NeckScreen;
    ImageControl* OpenGen;
    QScrollBar* neckBar;
    QLineEdit* playnote;

    void DrawNeck();
    void DrawStringRows();
    void LeaveNeck();
    void ShowHoverNote();

    void NeckScreenMouseDown(Qt::MouseButton button, int x, int y);
    void NeckScreenMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x,
                             int y);
    void NeckScreenMouseUp();
    void OpenGenMouseDown(Qt::MouseButton button, int x, int y);
    void OpenGenMouseMove(int x, int y);
    void OpenGenMouseUp();
    void neckBarScroll(int position);

    // The neck scroll bar follows neckPos without running the scroll handler.
    void SetNeckBarPosition(int position);

    const NeckHover& hover() const { return hover_; }
    const QImage& neckImage() const { return neckImage_; }

private:
    void DrawHoverLine(QImage& buffer);
    void DrawFingerMark(QImage& buffer, int s);
    void SoundString(int s);

    Guitar& guitar_;
    MidiPort& port_;
    Hooks hooks_;
    NeckHover hover_;
    QImage neckImage_;
    QImage neckBuffer_;
    QImage openBuffer_;
    bool settingBar_ = false;
};

} // namespace cadenzo
