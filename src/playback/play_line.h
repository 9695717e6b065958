#pragma once

#include "playback/playback.h"
#include "seq/song.h"

#include <cstdint>
#include <optional>

namespace cadenzo {

// What the window does for the play line at one display refresh.
struct PlayLineStep {
    bool draw = false; // the line moved: show it at x
    int x = -1; // x in `seq_screen` pixels, computed in the view as it was before a page turn
    std::optional<int> page; // the view pages on: `seqBar` := this position first
};

// Turns the play position the engine publishes into the play line and the view's page turns, on
// the window thread at the display rate. Positions published between two refreshes coalesce: the
// newest one is drawn. The page rule is the tick's: a line right of the view's width turns the
// page to start one bar before the line's bar.
class PlayLineFollower {
public:
    PlayLineStep poll(const PlaybackEngine& engine, const Song& song);
    // Forget what was seen (after a redraw of the whole view the line is drawn again).
    void reset() { seen_ = 0; }

private:
    std::uint32_t seen_ = 0;
    std::int32_t lastTick_ = 0; // the line's tick at the last poll that saw it move
};

} // namespace cadenzo
