#pragma once

// Colour numbers as the settings and song files keep them: red in the lowest byte, green in the
// next, blue in the third. A top byte of 0x80 names a system colour whose index is in the low
// byte; the widgets resolve those against the desktop palette (qt_color.h).

#include <array>
#include <cstdint>

namespace cadenzo {

using TColor = std::uint32_t;

constexpr TColor RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}
constexpr std::uint8_t GetRValue(TColor c) {
    return std::uint8_t(c & 0xFF);
}
constexpr std::uint8_t GetGValue(TColor c) {
    return std::uint8_t((c >> 8) & 0xFF);
}
constexpr std::uint8_t GetBValue(TColor c) {
    return std::uint8_t((c >> 16) & 0xFF);
}

constexpr bool IsSystemColor(TColor c) {
    return (c & 0xFF000000u) == 0x80000000u;
}
constexpr TColor SystemColor(std::uint8_t index) {
    return 0x80000000u | index;
}

// "No colour": an optional caption copy that is not drawn.
constexpr TColor clNone = 0x1FFFFFFF;

constexpr TColor clBlack = RGB(0, 0, 0);
constexpr TColor clMaroon = RGB(128, 0, 0);
constexpr TColor clGreen = RGB(0, 128, 0);
constexpr TColor clOlive = RGB(128, 128, 0);
constexpr TColor clNavy = RGB(0, 0, 128);
constexpr TColor clPurple = RGB(128, 0, 128);
constexpr TColor clTeal = RGB(0, 128, 128);
constexpr TColor clSilver = RGB(192, 192, 192);
constexpr TColor clGray = RGB(128, 128, 128);
constexpr TColor clRed = RGB(255, 0, 0);
constexpr TColor clLime = RGB(0, 255, 0);
constexpr TColor clYellow = RGB(255, 255, 0);
constexpr TColor clBlue = RGB(0, 0, 255);
constexpr TColor clFuchsia = RGB(255, 0, 255);
constexpr TColor clAqua = RGB(0, 255, 255);
constexpr TColor clWhite = RGB(255, 255, 255);

// System colours by their desktop index.
constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);

// The 16 standard colours in the order of the colour grid's cells.
inline constexpr std::array<TColor, 16> colorTable = {
    clBlack, clMaroon, clGreen, clOlive,  clNavy, clPurple,  clTeal, clSilver,
    clGray,  clRed,    clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};

// Index of c in colorTable, or 16 when c is not one of the 16 (compared as whole numbers).
int ColorTableIndex(TColor c);

// Black or white per component: 0 where the component is 128 or more, 255 below.
TColor ContrastColor(TColor c);

// start + (end - start) * i / 255 per component, truncated: step i of a 256-step gradient.
TColor GradientStep(TColor start, TColor end, int i);

// Colour i of n running from start to end, each component rounded to the nearest integer
// (halves away from zero). With n <= 1 the single colour is start.
TColor BlendRounded(TColor start, TColor end, int i, int n);

} // namespace cadenzo
