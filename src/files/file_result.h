#pragma once

#include <string>
#include <utility>

namespace cadenzo {

// What a file operation failed at.
enum class FileFailure {
    None,      // it did its work
    Open,      // the file could not be opened (missing, a folder, no permission, too large)
    Read,      // reading stopped part way
    Write,     // the new file could not be written; the previous one is as it was
    Content,   // the bytes or lines are not what the format allows
    WrongType, // not a file of this kind at all
};

// The outcome of every file operation: what failed, and the text the user is shown. On failure
// the text names the file and the reason (for WrongType it is the program's own refusal); on
// success it is empty or carries a notice or status text for the command to show.
struct FileResult {
    FileFailure failure = FileFailure::None;
    std::string message;

    bool ok() const { return failure == FileFailure::None; }
    explicit operator bool() const { return ok(); }

    static FileResult Failure(FileFailure what, std::string text) {
        return {what, std::move(text)};
    }
    static FileResult success(std::string notice = {}) {
        return {FileFailure::None, std::move(notice)};
    }
};

} // namespace cadenzo
