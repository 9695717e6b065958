#include "views/neck_geometry.h"

namespace cadenzo {

void NeckHover::hitTest(int x, int y) {
    lastString = hoverString;
    hoverString = NO_STRING;
    for (int s = 0; s < STRING_COUNT; ++s) {
        if (15 * s + 22 < y && y < 15 * s + 38) {
            hoverString = static_cast<std::uint8_t>(s);
            break;
        }
    }
    lastColumn = hoverColumn;
    hoverColumn = -1;
    for (int c = 0; c < NECK_COLUMNS; ++c) {
        if (50 * c + 7 < x && x < 50 * c + 58) {
            hoverColumn = c;
            break;
        }
    }
}

bool NeckHover::clearNeckHover(bool& columnWas) {
    lastString = hoverString;
    hoverString = NO_STRING;
    lastColumn = hoverColumn;
    hoverColumn = -1;
    columnWas = lastColumn != -1;
    return lastString != NO_STRING;
}

std::optional<std::string> hoverNoteText(const Guitar& guitar, const NeckHover& hover) {
    if (hover.hoverString == NO_STRING)
        return std::nullopt;
    const int n = guitar.neckPos + hover.hoverColumn + guitar.tuning[hover.hoverString];
    return " " + pitchText(n);
}

} // namespace cadenzo
