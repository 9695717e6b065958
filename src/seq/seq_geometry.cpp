#include "seq/seq_geometry.h"

namespace cadenzo {

int TickToX(const MeterTable &meter, const ViewGeometry &view, std::int32_t t) {
    if (t < view.viewStartTick)
        return -1;
    const std::int64_t delta = std::int64_t{t} - view.viewStartTick;
    std::int64_t x = SEQ_LEFT + (view.zoom * delta) / 2 / 10;
    const int b0 = BarAtOrAfter(meter, view.viewStartTick);
    std::int64_t s = view.viewStartTick;
    for (int b = b0;; ++b) {
        if (s > t)
            break;
        const std::int32_t length = BarLength(meter, b);
        s += length;
        if (b == b0 || (b <= BAR_COUNT && meter[b].changed == 1))
            x += SIGNATURE_SLOT;
        if (length <= 0 && b > BAR_COUNT)
            break; // a table of empty bars: nothing lies further on
    }
    return static_cast<int>(x);
}

int SignatureGap(const MeterTable &meter, std::int32_t s, std::int32_t e) {
    int gap = 0;
    for (int k = 1; k <= BAR_COUNT; ++k) {
        const auto first = static_cast<std::int64_t>(meter[k - 1].endTick);
        if (meter[k].changed == 1 && first > s && first < e)
            gap += SIGNATURE_SLOT;
    }
    return gap;
}

} // namespace cadenzo
