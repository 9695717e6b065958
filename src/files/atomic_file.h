#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace cadenzo {

// Outcome of a file operation. On failure, message is one sentence for the user's error box that
// names the file and the reason; on success it is usually empty but may carry a notice.
struct FileResult {
    bool ok = true;
    std::string message;

    explicit operator bool() const { return ok; }
    static FileResult Failure(std::string text) { return {false, std::move(text)}; }
};

// The file name as it appears in messages, in double quotes.
std::string QuotedName(const std::filesystem::path& path);

// Replaces the file at path with bytes so that the file is either the old one or the new one,
// never a mix: the bytes go to a temporary file in the same folder, which is flushed to disk and
// then renamed over the target. A failure leaves the previous file untouched and removes the
// temporary file. An existing target keeps its permission bits; a symbolic link is followed, so
// the file it points to is replaced and the link stays.
FileResult WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Reads the whole file at path into bytes.
FileResult ReadWholeFile(const std::filesystem::path& path, std::string& bytes);

// True when something exists at path. A path whose status cannot be read (a folder without
// search permission on the way) counts as existing, so that the following open reports why.
bool PathExists(const std::filesystem::path& path);

} // namespace cadenzo
