#include "files/note_values.h"

#include <array>

namespace cadenzo {

const std::vector<NoteValue>& noteValues() {
    static const std::vector<NoteValue> values = [] {
        constexpr std::array<const char*, 7> types{"whole", "half", "quarter", "eighth",
                                                   "16th",  "32nd", "64th"};
        // Longest first: a dotted value lies between its own value and the next longer one.
        std::vector<NoteValue> list;
        std::int32_t ticks = 1920;
        for (std::size_t i = 0; i < types.size(); ++i, ticks /= 2) {
            if (i + 1 < types.size())
                list.push_back({ticks + ticks / 2, types[i], true});
            list.push_back({ticks, types[i], false});
        }
        return list;
    }();
    return values;
}

std::vector<NoteValue> splitIntoNoteValues(std::int64_t ticks) {
    std::vector<NoteValue> pieces;
    if (ticks <= 0 || ticks % SHORTEST_NOTE_TICKS != 0)
        return pieces;
    // Greedy from the longest value: every remainder is a multiple of the 64th, which the list
    // ends with, so the split always comes out exact.
    const std::vector<NoteValue>& values = noteValues();
    std::size_t next = 0;
    while (ticks > 0) {
        while (values[next].ticks > ticks)
            ++next;
        pieces.push_back(values[next]);
        ticks -= values[next].ticks;
    }
    return pieces;
}

} // namespace cadenzo
