#include "seq/meter_step.h"

namespace cadenzo {

namespace {

constexpr std::array<const char*, STEP_CHOICES> STEP_NAMES{"1Bar", "2", "4", "8", "16"};
constexpr std::array<std::uint8_t, HYOSHI2_ITEMS.size()> DENOMINATORS{1, 2, 4, 8, 16};
constexpr int NUMERATOR_ITEMS = static_cast<int>(HYOSHI1_ITEMS.size());

} // namespace

std::int32_t GridTicks(int tripletGrid) {
    return tripletGrid == 1 ? 80 : 120;
}

std::int32_t StepAfter(const Song& song, std::int32_t eventTick) {
    const int grid = song.edit.tripletGrid == 1 ? 1 : 0;
    const int index =
        song.edit.stepIndex >= 0 && song.edit.stepIndex < STEP_CHOICES ? song.edit.stepIndex : 3;
    if (index == 0)
        return song.BarLength(song.BarAtOrAfter(eventTick));
    return STEP_TICKS[grid][index];
}

bool TimeSignatureChange(Song& song, int hyoshi1Index, int hyoshi2Index) {
    if (hyoshi1Index < 0 || hyoshi1Index >= NUMERATOR_ITEMS || hyoshi2Index < 0 ||
        hyoshi2Index >= static_cast<int>(DENOMINATORS.size()))
        return false;
    const int n = song.BarAtOrAfter(song.edit.cursorTick);
    if (n > BAR_COUNT)
        return false;
    song.SetMeter(n, static_cast<std::uint8_t>(hyoshi1Index + 1), DENOMINATORS[hyoshi2Index]);
    return true;
}

std::array<PopupItem, 5> PopupMenuItems(PopupSource source) {
    if (source == PopupSource::Grid)
        return {{{"16", true}, {"16-3", true}, {"4", false}, {"8", false}, {"16", false}}};
    std::array<PopupItem, 5> items{};
    for (int k = 0; k < STEP_CHOICES; ++k)
        items[k] = {STEP_NAMES[k], true};
    return items;
}

bool PopupChoose(EditState& edit, PopupSource source, int item) {
    if (source == PopupSource::Grid) {
        if (item < 0 || item > 1)
            return false;
        edit.tripletGrid = item;
        return true;
    }
    if (item < 0 || item >= STEP_CHOICES)
        return false;
    edit.stepIndex = item;
    return true;
}

std::string GridCaption(int tripletGrid) {
    return tripletGrid == 1 ? "Grid : 16_3" : "Grid : 16";
}

std::string StepCaption(int stepIndex) {
    if (stepIndex < 0 || stepIndex >= STEP_CHOICES)
        stepIndex = 3;
    return std::string("Step : ") + STEP_NAMES[stepIndex];
}

} // namespace cadenzo
