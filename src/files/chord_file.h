#pragma once

#include "files/atomic_file.h"
#include "model/user_chords.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace cadenzo {

// Chord files ("crd"): a count line, then 8 lines per chord: name, key letter, six frets.

// The file's bytes for chords 1..count.
std::string chordFileText(const UserChordTable& table);

// Reads chord file bytes into the table (userChordCount first). Values are taken as they stand,
// key letters keep their low 8 bits. A file that counts more chords than the table holds gives
// its first 31 and a notice. A missing or non-numeric line stops the read with a failure that
// names the file and the line; the count then covers the chords read completely and the chord
// being read is left out. In every case the names of the slots above the count are emptied.
FileResult readChordText(UserChordTable& table, std::string_view text,
                         const std::filesystem::path& fileName);

// Replaces the table by the chord file at path. A missing backup file is first created holding an
// empty table, and a missing file at path is created the same way (the table becomes empty). A
// backup that cannot be created is reported in the result, and the file at path is read all the
// same. A file that cannot be read or is broken (a failure other than the backup's) leaves the
// table exactly as it was; a file that counts more than 31 chords is read, with its notice.
// The caller rebuilds the usr list from the table and selects item 0 whatever the outcome.
FileResult loadChordFile(UserChordTable& table, const std::filesystem::path& path,
                         const std::filesystem::path& backupPath);

// Writes chords 1..count to path; a failing save leaves the previous file as it was.
FileResult saveChordFile(const UserChordTable& table, const std::filesystem::path& path);

// The backup of the user chord table in the start folder, read at start and written at close.
// When the read at start fails, the table stays empty while the file may still hold chords the
// read could not take: the close then leaves the file as it is, until the table changes (a chord
// registered or edited) or another chord file is read. Window thread only.
class ChordBackup {
public:
    // Reads backupPath into the table (loadChordFile), remembering whether that failed.
    FileResult loadAtStart(UserChordTable& table, const std::filesystem::path& backupPath);
    // Open UserChord, or a chord file named on the command line or dropped (loadChordFile).
    FileResult open(UserChordTable& table, const std::filesystem::path& path,
                    const std::filesystem::path& backupPath);
    // False while the table is still what the failed read at start left.
    bool mayWrite(const UserChordTable& table) const;
    // Writes the table to backupPath when mayWrite, else leaves the file and succeeds.
    FileResult saveAtClose(const UserChordTable& table,
                           const std::filesystem::path& backupPath) const;

private:
    // The table's file text right after a failed read at start; empty after a good read.
    std::optional<std::string> unreadText_;
};

} // namespace cadenzo
