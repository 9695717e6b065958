#include "controls/color_number.h"

#include <cmath>

namespace cadenzo {

int colorTableIndex(PackedColor c) {
    for (int i = 0; i < int(colorTable.size()); ++i)
        if (colorTable[i] == c)
            return i;
    return 16;
}

PackedColor contrastColor(PackedColor c) {
    auto flip = [](std::uint8_t v) { return std::uint8_t(v >= 128 ? 0 : 255); };
    return RGB(flip(getRValue(c)), flip(getGValue(c)), flip(getBValue(c)));
}

PackedColor gradientStep(PackedColor start, PackedColor end, int i) {
    auto mix = [i](int s, int e) { return std::uint8_t(s + (e - s) * i / 255); };
    return RGB(mix(getRValue(start), getRValue(end)), mix(getGValue(start), getGValue(end)),
               mix(getBValue(start), getBValue(end)));
}

PackedColor blendRounded(PackedColor start, PackedColor end, int i, int n) {
    if (n <= 1)
        return start;
    auto mix = [i, n](int s, int e) {
        return std::uint8_t(s + std::lround(double(e - s) * i / double(n - 1)));
    };
    return RGB(mix(getRValue(start), getRValue(end)), mix(getGValue(start), getGValue(end)),
               mix(getBValue(start), getBValue(end)));
}

} // namespace cadenzo
