#pragma once

#include "model/guitar.h"

#include <cstdint>
#include <optional>
#include <string>

namespace cadenzo {

// Pixel geometry of the fretboard: a fret cell is 50 wide, column c shows fret neckPos + c and
// its finger area spans x = 50c + 8 .. 50c + 57; string s lies on row 15s + 30.
inline constexpr int FRET_CELL_WIDTH = 50;
inline constexpr int NECK_COLUMNS = 28;
inline constexpr int NECK_CELLS = 25;
inline constexpr int NECK_IMAGE_WIDTH = 1250;
inline constexpr int NECK_SCREEN_HEIGHT = 121;
inline constexpr int OPEN_GEN_WIDTH = 18;
inline constexpr int OPEN_GEN_HEIGHT = 101;
// openStringsArea rows line up with the neck's when their y is shifted by this much.
inline constexpr int OPEN_GEN_Y_SHIFT = 22;
inline constexpr std::uint8_t NO_STRING = 255;

constexpr int stringRowY(int s) {
    return 15 * s + 30;
}

struct Box {
    int left, top, right, bottom; // inclusive corners as the drawing calls take them
};

// The finger mark of string s held at fret `fret` with the neck at neckPos.
constexpr Box fingerMarkBox(int s, int fret, int neckPos) {
    const int c = fret - neckPos;
    return {50 * c + 25, 15 * s + 23, 50 * c + 38, 15 * s + 36};
}

// What the mouse is over on the fretboard, and what it was over before the latest hit test.
struct NeckHover {
    std::uint8_t hoverString = NO_STRING;
    int hoverColumn = -1;
    std::uint8_t lastString = NO_STRING;
    int lastColumn = -1;

    void hitTest(int x, int y);
    // Clears the hover; returns whether the string row was hovered (the fretboard then redraws)
    // and, in `columnWas`, whether a column was (the pitch field is then emptied).
    bool clearNeckHover(bool& columnWas);
};

// The pitch text of the string and column under the mouse (" E 3"), or nothing when no string is
// hovered (the field then keeps its text).
std::optional<std::string> hoverNoteText(const Guitar& guitar, const NeckHover& hover);

} // namespace cadenzo
