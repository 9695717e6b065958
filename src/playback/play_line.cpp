#include "playback/play_line.h"

#include "seq/seq_geometry.h"

namespace cadenzo {

PlayLineStep PlayLineFollower::poll(const PlaybackEngine& engine, const Song& song) {
    PlayLineStep step;
    const PlayLinePosition position = engine.playLine();
    if (position.serial == seen_)
        return step;
    seen_ = position.serial;
    // The window thread is the only writer of the meter table and the view, so no lock is needed.
    const int x = tickToX(song.meterTable, viewOf(song.edit), position.tick);
    // A line that went back left of the view (the loop turned to its first bar) turns the page
    // back alike; one that is merely behind a view scrolled ahead is left alone.
    const bool wentBack = x < 0 && position.tick < lastTick_;
    lastTick_ = position.tick;
    if (x > song.edit.seqWidth || wentBack)
        step.page = song.barAtOrAfter(position.tick) - 2;
    step.draw = true;
    step.x = x;
    return step;
}

} // namespace cadenzo
