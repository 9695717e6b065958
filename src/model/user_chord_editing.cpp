#include "model/user_chord_editing.h"

#include <algorithm>

namespace cadenzo {

namespace {

// Whether any of the slots from `first` up, other than `except`, holds `name`.
bool nameHeld(const UserChordTable& table, std::string_view name, int first, int except) {
    for (int slot = first; slot < USER_CHORD_SLOTS; ++slot)
        if (slot != except && table.userChordName[static_cast<std::size_t>(slot)] == name)
            return true;
    return false;
}

bool conflicts(const KeyLetters& keys, int ownKey, int position) {
    if (position == 0 || position == ownKey)
        return false;
    return std::find(keys.begin(), keys.end(), position) != keys.end();
}

} // namespace

std::string keyLetterText(int key) {
    if (key <= 0 || key > KEY_LETTER_MAX)
        return "-";
    return std::string(1, keyLetterChar(static_cast<std::uint8_t>(key)));
}

const char* registerRefusal(const UserChordTable& table, std::string_view name) {
    const char* refusal = nullptr;
    if (table.userChordCount >= USER_CHORD_CAPACITY)
        refusal = TOO_MANY_CHORDS_TEXT;
    if (nameHeld(table, name, 1, -1))
        refusal = SAME_NAME_TEXT;
    if (name.empty())
        refusal = EMPTY_NAME_TEXT;
    return refusal;
}

int registerUserChord(UserChordTable& table, std::string_view name, std::uint8_t key,
                      const Frets& frets) {
    const int k = std::clamp(table.userChordCount, 0, USER_CHORD_CAPACITY - 1) + 1;
    const auto slot = static_cast<std::size_t>(k);
    for (int s = 0; s < STRING_COUNT; ++s)
        table.userChordFlet[slot][s] = frets[s];
    table.userChordName[slot] = name;
    table.userChordKey[slot] = key;
    table.userChordCount = k;
    return k;
}

int skipKeyLetterOnce(const KeyLetters& keys, int position, int direction) {
    for (const std::uint8_t key : keys)
        if (position == key)
            position = std::clamp(position + direction, 0, KEY_LETTER_MAX);
    return position;
}

int skipKeyLetterRepeated(const KeyLetters& keys, int ownKey, int position, int direction,
                          int before) {
    // Each pass that finds a conflict moves one letter, so at most 27 passes run before the
    // position is free or has run off an end of the alphabet.
    while (conflicts(keys, ownKey, position)) {
        position += direction;
        if (position > KEY_LETTER_MAX || position < 0)
            return before;
    }
    return position;
}

FretboardSnapshot FretboardSnapshot::take(const Guitar& guitar, ChordSelection shown) {
    return {guitar.currentFrets(), shown, guitar.chordPos, guitar.neckPos};
}

ChordSelection FretboardSnapshot::restoreOn(Guitar& guitar) const {
    guitar.setFrets(frets);
    guitar.chordPos = chordPos;
    guitar.neckPos = neckPos;
    return shown;
}

UserChordEditing::UserChordEditing(UserChordTable& table)
    : table_(table), keys_(table.userChordKey) {
    const int count = std::clamp(table.userChordCount, 0, USER_CHORD_CAPACITY);
    for (int slot = 1; slot <= count; ++slot)
        lines_.push_back(userChordText(table, slot));
}

bool UserChordEditing::select(int j) {
    if (j < 0 || j >= lineCount())
        return false;
    selected_ = j;
    if (line(j).empty())
        return false;
    ownKey_ = keys_[static_cast<std::size_t>(j + 1)];
    return true;
}

const std::string& UserChordEditing::selectedName() const {
    return table_.userChordName[static_cast<std::size_t>(selected_ + 1)];
}

int UserChordEditing::selectedKey() const {
    return keys_[static_cast<std::size_t>(selected_ + 1)];
}

void UserChordEditing::previewOn(Guitar& guitar) const {
    const UserChordFrets& stored = table_.userChordFlet[static_cast<std::size_t>(selected_ + 1)];
    for (int s = 0; s < STRING_COUNT; ++s)
        guitar.frets[s] = static_cast<std::uint8_t>(stored[s] & 0xFF);
    guitar.findNeckPos();
}

int UserChordEditing::skipKeyLetter(int position, int direction, int before) const {
    return skipKeyLetterRepeated(keys_, ownKey_, position, direction, before);
}

const char* UserChordEditing::Accept(std::string_view name, int key, bool& stored) {
    stored = false;
    if (selected_ < 0)
        return nullptr;
    const char* refusal = nullptr;
    if (!name.empty() && nameHeld(table_, name, 0, selected_ + 1))
        refusal = SAME_NAME_TEXT;
    if (name.empty())
        refusal = EMPTY_NAME_TEXT;
    if (refusal != nullptr)
        return refusal;
    const auto slot = static_cast<std::size_t>(selected_ + 1);
    table_.userChordName[slot] = name;
    keys_[slot] = static_cast<std::uint8_t>(std::clamp(key, 0, KEY_LETTER_MAX));
    lines_[static_cast<std::size_t>(selected_)] = userChordText(name, keys_[slot]);
    stored = true;
    return nullptr;
}

bool UserChordEditing::Delete() {
    if (selected_ < 0)
        return false;
    lines_[static_cast<std::size_t>(selected_)].clear();
    keys_[static_cast<std::size_t>(selected_ + 1)] = 0;
    return true;
}

void UserChordEditing::apply() {
    int k = 0;
    for (int i = 1; i <= lineCount(); ++i) {
        if (line(i - 1).empty())
            continue;
        ++k;
        const auto from = static_cast<std::size_t>(i);
        const auto to = static_cast<std::size_t>(k);
        table_.userChordFlet[to] = table_.userChordFlet[from];
        if (to != from)
            table_.userChordName[to] = table_.userChordName[from];
        table_.userChordKey[to] = keys_[from];
    }
    table_.userChordCount = k;
}

} // namespace cadenzo
