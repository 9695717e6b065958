#pragma once

#include "files/atomic_file.h"
#include "model/user_chords.h"

#include <filesystem>
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
// empty table, and a missing file at path is created the same way (the table stays empty). A
// backup that cannot be created is reported in the result, and the file at path is read all the
// same.
// The caller rebuilds the usr list from the table and selects item 0 whatever the outcome.
FileResult loadChordFile(UserChordTable& table, const std::filesystem::path& path,
                         const std::filesystem::path& backupPath);

// Writes chords 1..count to path; a failing save leaves the previous file as it was.
FileResult saveChordFile(const UserChordTable& table, const std::filesystem::path& path);

} // namespace cadenzo
