#pragma once

namespace cadenzo {

// What the window has to do after an editing command of the core. The core changes only the song
// and its editing state; redrawing, the scroll bar and the status bar are the window's part.
struct EditResult {
    // The events changed: redraw the event layer and the lane, repaint `seq_screen`.
    bool eventsChanged = false;
    // Refresh the property fields for the span from `anchorTick` to `cursorTick`.
    bool refreshFields = false;
    // `viewBar` moved: set `seqBar` to it and redraw the whole view.
    bool scrolled = false;
    // `frets` may have changed: drawNeck, recognizeChord, matchUserChord, refreshRollView, in
    // order.
    bool fretboardChanged = false;
    // A short notice for status panel 3 ("Over!"), or nullptr.
    const char* status = nullptr;
};

// The notice of a song that cannot take another event.
inline constexpr const char* FULL_SONG_NOTICE = "Over!";

} // namespace cadenzo
