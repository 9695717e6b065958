#pragma once

#include "files/file_result.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace cadenzo {

// Far above any file of the program (a song of 2000 events is 56000 bytes).
inline constexpr std::uintmax_t MAX_READ_SIZE = 16u << 20;

// The file name as it appears in messages, in double quotes.
std::string QuotedName(const std::filesystem::path& path);

// Replaces the file at path with bytes so that the file is either the old one or the new one,
// never a mix: the bytes go to a temporary file in the same folder (a short name, so that the
// longest legal name can be saved), which is flushed to disk and then renamed over the target. A
// failure leaves the previous file untouched and removes the temporary file.
// - A file the user may not write (for root: one without any write bit) is refused with a message
//   that says it is read-only, since the rename alone would replace it.
// - A symbolic link is written through: the file at the end of the chain gets the new bytes (a
//   dangling link creates it) and the links stay.
// - An existing target keeps its permission bits. Its owner becomes the user who saves, and other
//   hard links to it keep the previous bytes: the rename gives the name a new file, which is what
//   makes the replacement all-or-nothing, and a crash mid-write then loses nothing.
FileResult writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Reads the whole file at path into bytes. A folder, a device or pipe (which could be endless)
// and a file above MAX_READ_SIZE are refused unread.
FileResult readWholeFile(const std::filesystem::path& path, std::string& bytes);

// Whether the user may create files in `folder` as far as its permissions and its file system
// tell (a folder of a read-only mount, or one without write permission, is not).
bool folderWritable(const std::filesystem::path& folder);

// True when something exists at path. A path whose status cannot be read (a folder without
// search permission on the way) counts as existing, so that the following open reports why.
bool pathExists(const std::filesystem::path& path);

} // namespace cadenzo
