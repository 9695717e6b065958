#include "seq/meter_step.h"

namespace cadenzo {

namespace {

constexpr std::array<const char*, STEP_CHOICES> STEP_NAMES{"1Bar", "2", "4", "8", "16"};
constexpr std::array<std::uint8_t, HYOSHI2_ITEMS.size()> DENOMINATORS{1, 2, 4, 8, 16};
constexpr int NUMERATOR_ITEMS = static_cast<int>(HYOSHI1_ITEMS.size());

} // namespace

std::int32_t gridTicks(int tripletGrid) {
    return tripletGrid == 1 ? 80 : 120;
}

std::int32_t stepAfter(const Song& song, std::int32_t eventTick) {
    const int grid = song.edit.tripletGrid == 1 ? 1 : 0;
    const int index =
        song.edit.stepIndex >= 0 && song.edit.stepIndex < STEP_CHOICES ? song.edit.stepIndex : 3;
    if (index == 0)
        return song.barLength(song.barAtOrAfter(eventTick));
    return STEP_TICKS[grid][index];
}

bool timeSignatureChange(Song& song, int numeratorItem, int hyoshi2Index) {
    if (numeratorItem < 0 || numeratorItem >= NUMERATOR_ITEMS || hyoshi2Index < 0 ||
        hyoshi2Index >= static_cast<int>(DENOMINATORS.size()))
        return false;
    const int n = song.barAtOrAfter(song.edit.cursorTick);
    if (n > BAR_COUNT)
        return false;
    song.setMeter(n, static_cast<std::uint8_t>(numeratorItem + 1), DENOMINATORS[hyoshi2Index]);
    return true;
}

std::array<PopupItem, 5> popupMenuItems(PopupSource source) {
    if (source == PopupSource::Grid)
        return {{{"16", true}, {"16-3", true}, {"4", false}, {"8", false}, {"16", false}}};
    std::array<PopupItem, 5> items{};
    for (int k = 0; k < STEP_CHOICES; ++k)
        items[k] = {STEP_NAMES[k], true};
    return items;
}

bool popupChoose(EditState& edit, PopupSource source, int item) {
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

std::string gridCaption(int tripletGrid) {
    return tripletGrid == 1 ? "Grid : 16_3" : "Grid : 16";
}

std::string stepCaption(int stepIndex) {
    if (stepIndex < 0 || stepIndex >= STEP_CHOICES)
        stepIndex = 3;
    return std::string("Step : ") + STEP_NAMES[stepIndex];
}

} // namespace cadenzo
