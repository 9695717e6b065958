#include "controls/color_number.h"

#include <cmath>

namespace cadenzo {

int ColorTableIndex(TColor c) {
    for (int i = 0; i < int(colorTable.size()); ++i)
        if (colorTable[i] == c)
            return i;
    return 16;
}

TColor ContrastColor(TColor c) {
    auto flip = [](std::uint8_t v) { return std::uint8_t(v >= 128 ? 0 : 255); };
    return RGB(flip(GetRValue(c)), flip(GetGValue(c)), flip(GetBValue(c)));
}

TColor GradientStep(TColor start, TColor end, int i) {
    auto mix = [i](int s, int e) { return std::uint8_t(s + (e - s) * i / 255); };
    return RGB(mix(GetRValue(start), GetRValue(end)), mix(GetGValue(start), GetGValue(end)),
               mix(GetBValue(start), GetBValue(end)));
}

TColor BlendRounded(TColor start, TColor end, int i, int n) {
    if (n <= 1)
        return start;
    auto mix = [i, n](int s, int e) {
        return std::uint8_t(s + std::lround(double(e - s) * i / double(n - 1)));
    };
    return RGB(mix(GetRValue(start), GetRValue(end)), mix(GetGValue(start), GetGValue(end)),
               mix(GetBValue(start), GetBValue(end)));
}

} // namespace cadenzo
