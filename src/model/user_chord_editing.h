#pragma once

#include "model/chords.h"
#include "model/guitar.h"
#include "model/user_chords.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cadenzo {

// Key letters run from 0 (none) to 26 ("Z") in both chord dialogs' spinners.
inline constexpr int KEY_LETTER_MAX = 26;

// The refusals of registering and of accepting a name, exactly as the message box shows them.
inline constexpr const char* TOO_MANY_CHORDS_TEXT = "Too many Chord";
inline constexpr const char* SAME_NAME_TEXT = "same name exist";
inline constexpr const char* EMPTY_NAME_TEXT = "User chord name is empty";

using KeyLetters = std::array<std::uint8_t, USER_CHORD_SLOTS>;

// What a key letter field shows: "A".."Z", or "-" for none.
std::string keyLetterText(int key);

// Why `name` cannot be registered, or nullptr when it can. The checks run in a fixed order and a
// later one wins: a full table, then a name held by any of slots 1..32 (removed chords' names
// above the count included), then an empty name. Names compare byte for byte, so case matters.
const char* registerRefusal(const UserChordTable& table, std::string_view name);

// Adds the chord as slot count + 1 and returns that slot. Only after registerRefusal said yes.
int registerUserChord(UserChordTable& table, std::string_view name, std::uint8_t key,
                      const Frets& frets);

// The register dialog's spinner after a click that moved it to `position` (direction +1 up,
// -1 down): one pass over slots 0..32, stepping on whenever the position equals the slot's key
// letter. The pass is not repeated, so a letter already passed can still be landed on; the
// position never leaves 0..26.
int skipKeyLetterOnce(const KeyLetters& keys, int position, int direction);

// The edit dialog's spinner: passes over the working key letters are repeated until none
// conflicts. A letter conflicts when a slot holds it, it is not 0 and it is not the selected
// line's own letter. Moving down always ends (0 never conflicts); moving up past "Z" finds
// nothing, and the spinner then goes back to `before`, where it stood before the click.
int skipKeyLetterRepeated(const KeyLetters& keys, int ownKey, int position, int direction,
                          int before);

// What the edit dialog puts back on the fretboard when it closes: the preview is undone.
struct FretboardSnapshot {
    Frets frets{};
    ChordSelection shown;
    std::uint8_t chordPos = 0;
    std::uint8_t neckPos = 1;

    static FretboardSnapshot take(const Guitar& guitar, ChordSelection shown);
    // Restores frets, chordPos and neckPos; returns the chord lists' items to show.
    ChordSelection restoreOn(Guitar& guitar) const;
};

// The edit dialog's work on the user chord table. Lines 0..count-1 stand for slots 1..count; a
// removed line is an empty line until OK drops it. Names accepted with << Accept go into the
// table at once; key letters and removals wait for Apply (OK).
class UserChordEditing {
public:
    explicit UserChordEditing(UserChordTable& table);

    int lineCount() const { return static_cast<int>(lines_.size()); }
    // The line as the list shows it; empty for a removed line.
    const std::string& line(int j) const { return lines_[static_cast<std::size_t>(j)]; }
    const KeyLetters& workingKeys() const { return keys_; }
    int selected() const { return selected_; }

    // Line j was selected. A removed line gives false and nothing else changes but the
    // selection; otherwise its key letter becomes the line's own, which never conflicts.
    bool select(int j);
    const std::string& selectedName() const;
    int selectedKey() const;
    // Puts the selected chord on the fretboard and moves the neck to it.
    void previewOn(Guitar& guitar) const;

    int skipKeyLetter(int position, int direction, int before) const;

    // Stores the name in the table and the key letter in the working list; returns the refusal
    // instead when the name is held by another slot (0..32) or is empty. No line selected: does
    // nothing and returns nullptr with false in `stored`.
    const char* Accept(std::string_view name, int key, bool& stored);
    // Empties the selected line and frees its key letter at once; false when none is selected.
    bool Delete();
    // OK: the lines still standing become chords 1..k in their order with their working key
    // letters. Slots above k keep what stood there.
    void apply();

private:
    UserChordTable& table_;
    KeyLetters keys_{};
    std::vector<std::string> lines_;
    int selected_ = -1;
    int ownKey_ = 0;
};

} // namespace cadenzo
