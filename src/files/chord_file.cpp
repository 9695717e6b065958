#include "files/chord_file.h"

#include "files/text_lines.h"

#include <algorithm>

namespace cadenzo {
namespace fs = std::filesystem;

namespace {

std::string ReadFailure(const fs::path& fileName, const std::string& what) {
    return "Cannot read the user chord file " + QuotedName(fileName) + ": " + what + ".";
}

struct ChordLines {
    std::string name;
    std::uint8_t key = 0;
    UserChordFrets frets{};
};

} // namespace

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
        result = FileResult::Failure(FileFailure::Content, ReadFailure(fileName, failure));
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
        return FileResult::Failure(backup.failure, result.message.empty()
                                                       ? backup.message
                                                       : backup.message + "\n" + result.message);
    return result;
}

FileResult SaveChordFile(const UserChordTable& table, const fs::path& path) {
    return WriteFileAtomically(path, ChordFileText(table));
}

} // namespace cadenzo
