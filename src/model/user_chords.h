#pragma once

#include "model/guitar.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cadenzo {

// Slots 0..32; slot 0 never holds a chord and slot 32 is only room that the dialogs' scans pass
// over, so at most 31 chords are registered.
inline constexpr int USER_CHORD_SLOTS = 33;
inline constexpr int USER_CHORD_CAPACITY = 31;
// Item 0 of the usr combo box, standing for "no user chord" (UTF-8).
inline constexpr const char* USER_CHORD_HEADER = "\xE2\x86\x93UserChord";
// Name of the backup of the table in the start folder.
inline constexpr const char* BACKUP_CHORD_FILE = "backup.crd";

using UserChordFrets = std::array<std::int32_t, STRING_COUNT>;

// The user chords, one instance owned by the application for the whole run. Slots 1..count hold
// the registered chords in the order of the usr list (slot k is item k). Slots above the count
// keep what stood there before a removal in the edit dialog; only loading a chord file empties
// their names. Window thread only.
struct UserChordTable {
    std::int32_t userChordCount = 0;
    // Bytes as typed or read, compared byte for byte and written back unchanged.
    std::array<std::string, USER_CHORD_SLOTS> userChordName{};
    // 0 = none, 1..26 = "A".."Z".
    std::array<std::uint8_t, USER_CHORD_SLOTS> userChordKey{};
    // frets values (0 open, 1..24 fretted, 255 silent) widened to 32 bits, string 0 first.
    std::array<UserChordFrets, USER_CHORD_SLOTS> userChordFlet{};
};

// The character of a key letter value: "A" for 1 ... "Z" for 26, "@" for 0.
char keyLetterChar(std::uint8_t key);

// What the usr list and the edit dialog show for slot k: name, " : ", key letter or "-".
std::string userChordText(const UserChordTable& table, int slot);
std::string userChordText(std::string_view name, std::uint8_t key);

// The items of the usr combo box: the header, then the text of chords 1..count.
std::vector<std::string> userChordItems(const UserChordTable& table);

// Puts the chord of usr item k (k > 0) on the fretboard: frets := the low 8 bits of its stored
// frets, Chord1 and Chord2 := item 0 (the caller sets them without raising change events), and the
// neck moves to the chord unless all six stored frets are 0. Returns false, changing nothing,
// for the header or an index without a slot. The caller then recognises the chord and redraws.
bool applyUserChord(const UserChordTable& table, int usrIndex, Guitar& guitar, int& chord1Index,
                    int& chord2Index);

// The usr item index that shows the chord now on the fretboard: the last of chords 1..count
// whose six frets all equal frets, or 0 when none does.
int matchUserChord(const UserChordTable& table, const Guitar& guitar);

// A character typed in the main window: the usr item index of the first of slots 0..31 whose key
// letter is that character in upper or lower case. A slot above the count has no item, which
// gives -1 (no selection). Without a match the index stays usrIndex.
int userChordKeyLookup(const UserChordTable& table, char32_t typed, int usrIndex);

// The whole reaction to a typed character: the lookup, then, whenever usr shows a user chord
// (matched or selected before), that chord is applied again. Returns true when a chord was
// applied; the caller then recognises the chord, redraws the fretboard and refreshes the roll.
bool userChordKeyPress(const UserChordTable& table, char32_t typed, int& usrIndex, Guitar& guitar,
                       int& chord1Index, int& chord2Index);

// The count, kept within the table however it was set, for loops over the slots.
int slotsInUse(const UserChordTable& table);

// Empties the names of the slots above the count, as loading a chord file does.
void emptyNamesAboveCount(UserChordTable& table);

} // namespace cadenzo
