#pragma once

// Colour numbers as the settings and song files keep them: red in the lowest byte, green in the
// next, blue in the third. A top byte of 0x80 names a system colour whose index is in the low
// byte; the widgets resolve those against the desktop palette (qt_color.h).

#include <array>
#include <cstdint>

namespace cadenzo {

using PackedColor = std::uint32_t;

constexpr PackedColor RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return PackedColor(r) | (PackedColor(g) << 8) | (PackedColor(b) << 16);
}
constexpr std::uint8_t getRValue(PackedColor c) {
    return std::uint8_t(c & 0xFF);
}
constexpr std::uint8_t getGValue(PackedColor c) {
    return std::uint8_t((c >> 8) & 0xFF);
}
constexpr std::uint8_t getBValue(PackedColor c) {
    return std::uint8_t((c >> 16) & 0xFF);
}

constexpr bool isSystemColor(PackedColor c) {
    return (c & 0xFF000000u) == 0x80000000u;
}
constexpr PackedColor systemColor(std::uint8_t index) {
    return 0x80000000u | index;
}

// "No colour": an optional caption copy that is not drawn.
constexpr PackedColor clNone = 0x1FFFFFFF;

constexpr PackedColor clBlack = RGB(0, 0, 0);
constexpr PackedColor clMaroon = RGB(128, 0, 0);
constexpr PackedColor clGreen = RGB(0, 128, 0);
constexpr PackedColor clOlive = RGB(128, 128, 0);
constexpr PackedColor clNavy = RGB(0, 0, 128);
constexpr PackedColor clPurple = RGB(128, 0, 128);
constexpr PackedColor clTeal = RGB(0, 128, 128);
constexpr PackedColor clSilver = RGB(192, 192, 192);
constexpr PackedColor clGray = RGB(128, 128, 128);
constexpr PackedColor clRed = RGB(255, 0, 0);
constexpr PackedColor clLime = RGB(0, 255, 0);
constexpr PackedColor clYellow = RGB(255, 255, 0);
constexpr PackedColor clBlue = RGB(0, 0, 255);
constexpr PackedColor clFuchsia = RGB(255, 0, 255);
constexpr PackedColor clAqua = RGB(0, 255, 255);
constexpr PackedColor clWhite = RGB(255, 255, 255);

// System colours by their desktop index.
constexpr PackedColor clScrollBar = systemColor(0);
constexpr PackedColor clBackground = systemColor(1);
constexpr PackedColor clActiveCaption = systemColor(2);
constexpr PackedColor clInactiveCaption = systemColor(3);
constexpr PackedColor clMenu = systemColor(4);
constexpr PackedColor clWindow = systemColor(5);
constexpr PackedColor clWindowFrame = systemColor(6);
constexpr PackedColor clMenuText = systemColor(7);
constexpr PackedColor clWindowText = systemColor(8);
constexpr PackedColor clCaptionText = systemColor(9);
constexpr PackedColor clActiveBorder = systemColor(10);
constexpr PackedColor clInactiveBorder = systemColor(11);
constexpr PackedColor clAppWorkSpace = systemColor(12);
constexpr PackedColor clHighlight = systemColor(13);
constexpr PackedColor clHighlightText = systemColor(14);
constexpr PackedColor clBtnFace = systemColor(15);
constexpr PackedColor clBtnShadow = systemColor(16);
constexpr PackedColor clGrayText = systemColor(17);
constexpr PackedColor clBtnText = systemColor(18);
constexpr PackedColor clInactiveCaptionText = systemColor(19);
constexpr PackedColor clBtnHighlight = systemColor(20);
constexpr PackedColor cl3DDkShadow = systemColor(21);
constexpr PackedColor cl3DLight = systemColor(22);
constexpr PackedColor clInfoText = systemColor(23);
constexpr PackedColor clInfoBk = systemColor(24);

// The 16 standard colours in the order of the colour grid's cells.
inline constexpr std::array<PackedColor, 16> colorTable = {
    clBlack, clMaroon, clGreen, clOlive,  clNavy, clPurple,  clTeal, clSilver,
    clGray,  clRed,    clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};

// Index of c in colorTable, or 16 when c is not one of the 16 (compared as whole numbers).
int colorTableIndex(PackedColor c);

// Black or white per component: 0 where the component is 128 or more, 255 below.
PackedColor contrastColor(PackedColor c);

// start + (end - start) * i / 255 per component, truncated: step i of a 256-step gradient.
PackedColor gradientStep(PackedColor start, PackedColor end, int i);

// Colour i of n running from start to end, each component rounded to the nearest integer
// (halves away from zero). With n <= 1 the single colour is start.
PackedColor blendRounded(PackedColor start, PackedColor end, int i, int n);

// Relative luminance of an RGB colour as the WCAG defines it (0 black to 1 white), and the
// contrast ratio of two colours from 1 (the same) to 21 (black and white).
double relativeLuminance(PackedColor c);
double contrastRatio(PackedColor a, PackedColor b);
// Text drawn with less contrast than this against its background cannot be read.
inline constexpr double MIN_TEXT_CONTRAST = 3.0;
// Black or white, whichever stands out more against `background`.
PackedColor standOutColor(PackedColor background);

} // namespace cadenzo
