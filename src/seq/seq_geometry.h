#pragma once

#include "seq/song.h"

#include <cstdint>

namespace cadenzo {

// Pixel geometry of the sequence view that editing and the play line depend on.
inline constexpr int SEQ_LEFT = 30;       // x of the view's time origin before any slot
inline constexpr int SIGNATURE_SLOT = 25; // pixels left for a time signature before a bar
inline constexpr int SEQ_HEIGHT = 129;
inline constexpr int DEFAULT_ZOOM = 2;

// What the view shows: the first tick and the horizontal scale (`seq_Grid`, 1..4).
struct ViewGeometry {
    std::int32_t viewStartTick = 0;
    int zoom = DEFAULT_ZOOM;
};

// x of tick t in `seq_screen`, or -1 when t lies before the view. A tick distance d covers
// (zoom x d) div 20 pixels, and every signature slot in front of a bar that begins at or before t
// (the first bar shown always has one) shifts t by 25 pixels.
int TickToX(const MeterTable &meter, const ViewGeometry &view, std::int32_t t);
// 25 x the number of bars with a signature slot whose first tick lies strictly between s and e.
int SignatureGap(const MeterTable &meter, std::int32_t s, std::int32_t e);

} // namespace cadenzo
