#include "files/chord_file.h"

#include "files/text_lines.h"

#include <algorithm>

namespace cadenzo {
namespace fs = std::filesystem;

namespace {

std::string readFailure(const fs::path& fileName, const std::string& what) {
    return "Cannot read the user chord file " + QuotedName(fileName) + ": " + what + ".";
}

struct ChordLines {
    std::string name;
    std::uint8_t key = 0;
    UserChordFrets frets{};
};

} // namespace

std::string chordFileText(const UserChordTable& table) {
    const int count = slotsInUse(table);
    std::string text;
    appendLine(text, count);
    for (int k = 1; k <= count; ++k) {
        const auto slot = static_cast<std::size_t>(k);
        appendLine(text, table.userChordName[slot]);
        appendLine(text, table.userChordKey[slot]);
        for (const std::int32_t fret : table.userChordFlet[slot])
            appendLine(text, fret);
    }
    return text;
}

FileResult readChordText(UserChordTable& table, std::string_view text, const fs::path& fileName) {
    LineReader reader(text);
    std::string_view line;
    std::string failure;

    // Each line either gives its value or sets failure naming it.
    const auto nextLine = [&]() {
        if (reader.Next(line))
            return true;
        failure = "line " + std::to_string(reader.lineNumber() + 1) + " is missing";
        return false;
    };
    const auto nextNumber = [&](std::int32_t& value) {
        if (!nextLine())
            return false;
        if (parseDecimal(line, value))
            return true;
        failure = "line " + std::to_string(reader.lineNumber()) + " " + QuotedLine(line) +
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
        result = FileResult::Failure(FileFailure::Content, readFailure(fileName, failure));
    emptyNamesAboveCount(table);
    return result;
}

namespace {

// loadChordFile's work; replaced tells whether the table now holds the file (read, or created
// empty), which a failed backup does not prevent.
FileResult loadInto(UserChordTable& table, const fs::path& path, const fs::path& backupPath,
                    bool& replaced) {
    // A missing backup is created holding an empty table. One that cannot be created (a start
    // folder the user may not write) does not keep the chosen file from being read; the failure
    // is told once, with the read's own outcome.
    FileResult backup;
    if (!pathExists(backupPath))
        backup = saveChordFile(UserChordTable{}, backupPath);
    // The file is read into a copy: a broken or unreadable file leaves the table as it was.
    UserChordTable loaded = table;
    loaded.userChordCount = 0;
    FileResult result;
    if (pathExists(path)) {
        std::string bytes;
        result = readWholeFile(path, bytes);
        if (result)
            result = readChordText(loaded, bytes, path);
    } else if (backup || path != backupPath) {
        result = saveChordFile(loaded, path);
    }
    replaced = result.ok();
    if (replaced) {
        emptyNamesAboveCount(loaded);
        table = std::move(loaded);
    }
    if (!backup)
        return FileResult::Failure(backup.failure, result.message.empty()
                                                       ? backup.message
                                                       : backup.message + "\n" + result.message);
    return result;
}

} // namespace

FileResult loadChordFile(UserChordTable& table, const fs::path& path, const fs::path& backupPath) {
    bool replaced = false;
    return loadInto(table, path, backupPath, replaced);
}

FileResult ChordBackup::loadAtStart(UserChordTable& table, const fs::path& backupPath) {
    bool replaced = false;
    const FileResult result = loadInto(table, backupPath, backupPath, replaced);
    unreadText_.reset();
    if (!replaced)
        unreadText_ = chordFileText(table);
    return result;
}

FileResult ChordBackup::open(UserChordTable& table, const fs::path& path,
                             const fs::path& backupPath) {
    bool replaced = false;
    const FileResult result = loadInto(table, path, backupPath, replaced);
    if (replaced)
        unreadText_.reset();
    return result;
}

bool ChordBackup::mayWrite(const UserChordTable& table) const {
    return !unreadText_ || chordFileText(table) != *unreadText_;
}

FileResult ChordBackup::saveAtClose(const UserChordTable& table, const fs::path& backupPath) const {
    return mayWrite(table) ? saveChordFile(table, backupPath) : FileResult{};
}

FileResult saveChordFile(const UserChordTable& table, const fs::path& path) {
    return writeFileAtomically(path, chordFileText(table));
}

} // namespace cadenzo
