#include "controls/color_number.h"

#include <algorithm>
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

double relativeLuminance(PackedColor c) {
    auto linear = [](std::uint8_t v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(getRValue(c)) + 0.7152 * linear(getGValue(c)) +
           0.0722 * linear(getBValue(c));
}

double contrastRatio(PackedColor a, PackedColor b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

PackedColor standOutColor(PackedColor background) {
    return contrastRatio(background, clBlack) >= contrastRatio(background, clWhite) ? clBlack
                                                                                    : clWhite;
}

} // namespace cadenzo
