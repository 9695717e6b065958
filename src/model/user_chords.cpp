#include "model/user_chords.h"

#include <algorithm>

namespace cadenzo {

int slotsInUse(const UserChordTable& table) {
    return std::clamp(table.userChordCount, 0, USER_CHORD_CAPACITY);
}

void emptyNamesAboveCount(UserChordTable& table) {
    for (int slot = slotsInUse(table) + 1; slot < USER_CHORD_SLOTS; ++slot)
        table.userChordName[slot].clear();
}

char keyLetterChar(std::uint8_t key) {
    return static_cast<char>((64 + key) & 0xFF);
}

std::string userChordText(const UserChordTable& table, int slot) {
    const auto k = static_cast<std::size_t>(slot);
    return userChordText(table.userChordName[k], table.userChordKey[k]);
}

std::string userChordText(std::string_view name, std::uint8_t key) {
    std::string text(name);
    text += " : ";
    text += key == 0 ? '-' : keyLetterChar(key);
    return text;
}

std::vector<std::string> userChordItems(const UserChordTable& table) {
    std::vector<std::string> items{USER_CHORD_HEADER};
    for (int slot = 1; slot <= slotsInUse(table); ++slot)
        items.push_back(userChordText(table, slot));
    return items;
}

bool applyUserChord(const UserChordTable& table, int usrIndex, Guitar& guitar, int& chord1Index,
                    int& chord2Index) {
    if (usrIndex <= 0 || usrIndex >= USER_CHORD_SLOTS)
        return false;
    const UserChordFrets& stored = table.userChordFlet[static_cast<std::size_t>(usrIndex)];
    for (int s = 0; s < STRING_COUNT; ++s)
        guitar.frets[s] = static_cast<std::uint8_t>(stored[s] & 0xFF);
    chord1Index = 0;
    chord2Index = 0;
    // Six open strings need no neck move; any other shape is brought into view.
    if (std::any_of(stored.begin(), stored.end(), [](std::int32_t f) { return f != 0; }))
        guitar.findNeckPos();
    return true;
}

int matchUserChord(const UserChordTable& table, const Guitar& guitar) {
    int usrIndex = 0;
    for (int k = 1; k <= slotsInUse(table); ++k) {
        const UserChordFrets& stored = table.userChordFlet[static_cast<std::size_t>(k)];
        bool same = true;
        for (int s = 0; s < STRING_COUNT; ++s)
            same = same && stored[s] == guitar.frets[s];
        if (same)
            usrIndex = k; // the last match wins
    }
    return usrIndex;
}

int userChordKeyLookup(const UserChordTable& table, char32_t typed, int usrIndex) {
    for (int slot = 0; slot < USER_CHORD_SLOTS - 1; ++slot) {
        const auto letter = static_cast<unsigned char>(
            keyLetterChar(table.userChordKey[static_cast<std::size_t>(slot)]));
        const char32_t upper = letter;
        const char32_t lower = letter >= 'A' && letter <= 'Z' ? letter + 32 : letter;
        if (typed == upper || typed == lower)
            return slot <= table.userChordCount ? slot : -1;
    }
    return usrIndex;
}

bool userChordKeyPress(const UserChordTable& table, char32_t typed, int& usrIndex, Guitar& guitar,
                       int& chord1Index, int& chord2Index) {
    usrIndex = userChordKeyLookup(table, typed, usrIndex);
    return usrIndex > 0 && applyUserChord(table, usrIndex, guitar, chord1Index, chord2Index);
}

} // namespace cadenzo
