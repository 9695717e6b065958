#include "model/user_chords.h"

#include "files/text_lines.h"

#include <algorithm>

namespace cadenzo {
namespace fs = std::filesystem;

namespace {

// The count, kept within the table however it was set, for loops over the slots.
int SlotsInUse(const UserChordTable& table) {
    return std::clamp(table.userChordCount, 0, USER_CHORD_CAPACITY);
}

void EmptyNamesAboveCount(UserChordTable& table) {
    for (int slot = SlotsInUse(table) + 1; slot < USER_CHORD_SLOTS; ++slot)
        table.userChordName[slot].clear();
}

std::string ReadFailure(const fs::path& fileName, const std::string& what) {
    return "Cannot read the user chord file " + QuotedName(fileName) + ": " + what + ".";
}

struct ChordLines {
    std::string name;
    std::uint8_t key = 0;
    UserChordFrets frets{};
};

} // namespace

char KeyLetterChar(std::uint8_t key) {
    return static_cast<char>((64 + key) & 0xFF);
}

std::string UserChordText(const UserChordTable& table, int slot) {
    const auto k = static_cast<std::size_t>(slot);
    return UserChordText(table.userChordName[k], table.userChordKey[k]);
}

std::string UserChordText(std::string_view name, std::uint8_t key) {
    std::string text(name);
    text += " : ";
    text += key == 0 ? '-' : KeyLetterChar(key);
    return text;
}

std::vector<std::string> UserChordItems(const UserChordTable& table) {
    std::vector<std::string> items{USER_CHORD_HEADER};
    for (int slot = 1; slot <= SlotsInUse(table); ++slot)
        items.push_back(UserChordText(table, slot));
    return items;
}

bool ApplyUserChord(const UserChordTable& table, int usrIndex, Guitar& guitar, int& chord1Index,
                    int& chord2Index) {
    if (usrIndex <= 0 || usrIndex >= USER_CHORD_SLOTS)
        return false;
    const UserChordFrets& stored = table.userChordFlet[static_cast<std::size_t>(usrIndex)];
    for (int s = 0; s < STRING_COUNT; ++s)
        guitar.flet[s] = static_cast<std::uint8_t>(stored[s] & 0xFF);
    chord1Index = 0;
    chord2Index = 0;
    // Six open strings need no neck move; any other shape is brought into view.
    if (std::any_of(stored.begin(), stored.end(), [](std::int32_t f) { return f != 0; }))
        guitar.FindNeckPos();
    return true;
}

int MatchUserChord(const UserChordTable& table, const Guitar& guitar) {
    int usrIndex = 0;
    for (int k = 1; k <= SlotsInUse(table); ++k) {
        const UserChordFrets& stored = table.userChordFlet[static_cast<std::size_t>(k)];
        bool same = true;
        for (int s = 0; s < STRING_COUNT; ++s)
            same = same && stored[s] == guitar.flet[s];
        if (same)
            usrIndex = k; // the last match wins
    }
    return usrIndex;
}

int UserChordKeyLookup(const UserChordTable& table, char32_t typed, int usrIndex) {
    for (int slot = 0; slot < USER_CHORD_SLOTS - 1; ++slot) {
        const auto letter = static_cast<unsigned char>(
            KeyLetterChar(table.userChordKey[static_cast<std::size_t>(slot)]));
        const char32_t upper = letter;
        const char32_t lower = letter >= 'A' && letter <= 'Z' ? letter + 32 : letter;
        if (typed == upper || typed == lower)
            return slot <= table.userChordCount ? slot : -1;
    }
    return usrIndex;
}

bool UserChordKeyPress(const UserChordTable& table, char32_t typed, int& usrIndex, Guitar& guitar,
                       int& chord1Index, int& chord2Index) {
    usrIndex = UserChordKeyLookup(table, typed, usrIndex);
    return usrIndex > 0 && ApplyUserChord(table, usrIndex, guitar, chord1Index, chord2Index);
}

std::string ChordFileText(const UserChordTable& table) {
    const int count = SlotsInUse(table);
    std::string text;
    AppendLine(text, count);
    for (int k = 1; k <= count; ++k) {
        const auto slot = static_cast<std::size_t>(k);
        AppendLine(text, table.userChordName[slot]);
        AppendLine(text, table.userChordKey[slot]);
        for (const std::int32_t fret : table.userChordFlet[slot])
            AppendLine(text, fret);
    }
    return text;
}

FileResult ReadChordText(UserChordTable& table, std::string_view text, const fs::path& fileName) {
    LineReader reader(text);
    std::string_view line;
    std::string failure;

    // Each line either gives its value or sets failure naming it.
    const auto nextLine = [&]() {
        if (reader.Next(line))
            return true;
        failure = "line " + std::to_string(reader.LineNumber() + 1) + " is missing";
        return false;
    };
    const auto nextNumber = [&](std::int32_t& value) {
        if (!nextLine())
            return false;
        if (ParseDecimal(line, value))
            return true;
        failure = "line " + std::to_string(reader.LineNumber()) + " " + QuotedLine(line) +
                  " is not a whole number";
        return false;
    };

    table.userChordCount = 0;
    std::int32_t declared = 0;
    FileResult result;
    if (nextNumber(declared) && declared < 0)
        failure = "line 1 counts " + std::to_string(declared) + " chords";
    if (failure.empty()) {
        const int count = std::min(declared, USER_CHORD_CAPACITY);
        for (int k = 1; k <= count; ++k) {
            ChordLines chord;
            std::int32_t key = 0;
            if (!nextLine())
                break;
            chord.name = line;
            if (!nextNumber(key))
                break;
            chord.key = static_cast<std::uint8_t>(key & 0xFF);
            bool complete = true;
            for (std::int32_t& fret : chord.frets)
                complete = complete && nextNumber(fret);
            if (!complete)
                break;
            const auto slot = static_cast<std::size_t>(k);
            table.userChordName[slot] = std::move(chord.name);
            table.userChordKey[slot] = chord.key;
            table.userChordFlet[slot] = chord.frets;
            table.userChordCount = k;
        }
        if (failure.empty() && declared > USER_CHORD_CAPACITY)
            result.message = "The user chord file " + QuotedName(fileName) + " holds " +
                             std::to_string(declared) + " chords; only the first " +
                             std::to_string(USER_CHORD_CAPACITY) + " were read.";
    }
    if (!failure.empty())
        result = FileResult::Failure(ReadFailure(fileName, failure));
    EmptyNamesAboveCount(table);
    return result;
}

FileResult LoadChordFile(UserChordTable& table, const fs::path& path, const fs::path& backupPath) {
    table.userChordCount = 0;
    // A backup that cannot be created (a start folder the user may not write) does not keep the
    // chosen file from being read; the failure is told once, with the read's own outcome.
    FileResult backup;
    if (!PathExists(backupPath))
        backup = SaveChordFile(table, backupPath);
    FileResult result;
    if (PathExists(path)) {
        std::string bytes;
        result = ReadWholeFile(path, bytes);
        if (result)
            result = ReadChordText(table, bytes, path);
    } else if (backup || path != backupPath) {
        result = SaveChordFile(table, path);
    }
    EmptyNamesAboveCount(table);
    if (!backup)
        return FileResult::Failure(result.message.empty() ? backup.message
                                                          : backup.message + "\n" + result.message);
    return result;
}

FileResult SaveChordFile(const UserChordTable& table, const fs::path& path) {
    return WriteFileAtomically(path, ChordFileText(table));
}

} // namespace cadenzo
