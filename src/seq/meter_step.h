#pragma once

#include "seq/song.h"

#include <array>
#include <cstdint>
#include <string>

namespace cadenzo {

// The step by which the cursor advances after an entry, by grid (`tripletGrid`) and step choice
// (`stepIndex`). 0 is one bar of whatever length the bar has.
inline constexpr std::array<std::array<std::int32_t, 5>, 2> STEP_TICKS{{
    {0, 960, 480, 240, 120},
    {0, 960, 480, 240, 80},
}};
inline constexpr int STEP_CHOICES = 5;

// The snapping distance of the mouse: a sixteenth, or a sixteenth triplet.
std::int32_t gridTicks(int tripletGrid);

// The cursor step after an event at `eventTick` was stored: STEP_TICKS, or the length of the
// bar that begins at or after the event for "1Bar". Out-of-range choices read as the defaults.
std::int32_t stepAfter(const Song& song, std::int32_t eventTick);

// The fixed item lists of the signature combos and their items at start-up (4/4).
inline constexpr std::array<const char*, 16> HYOSHI1_ITEMS{
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16"};
inline constexpr std::array<const char*, 5> HYOSHI2_ITEMS{"1", "2", "4", "8", "16"};
inline constexpr int HYOSHI1_START_ITEM = 3;
inline constexpr int HYOSHI2_START_ITEM = 2;

// `hyoshi1` / `hyoshi2` changed: both combos' item indexes give the signature num/den, applied
// from the bar that begins at or after the cursor. Returns false when nothing changed (the
// cursor lies past the start of bar 100, or an index outside the combos' lists); on true the
// window redraws the whole view.
bool timeSignatureChange(Song& song, int numeratorItem, int hyoshi2Index);

// The shared pop-up menu of `l_grid` and `l_step`.
enum class PopupSource { Grid, Step };

struct PopupItem {
    const char* caption;
    bool visible;
};

// Captions and visibility of `pop1` .. `pop5` when the menu opens from `source`.
std::array<PopupItem, 5> popupMenuItems(PopupSource source);

// `pop<item+1>` chosen (item 0..4): sets `tripletGrid` or `stepIndex`. Returns false for an item
// the menu does not show; on true the window sets the label from gridCaption / stepCaption and
// redraws the whole view.
bool popupChoose(EditState& edit, PopupSource source, int item);

// "Grid : 16" / "Grid : 16_3" and "Step : 1Bar" .. "Step : 16".
std::string gridCaption(int tripletGrid);
std::string stepCaption(int stepIndex);

} // namespace cadenzo
