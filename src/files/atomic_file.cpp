#include "files/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace cadenzo {
namespace fs = std::filesystem;

namespace {

std::string reason(int error) {
    return std::generic_category().message(error);
}

FileResult writeFailure(const fs::path& path, int error) {
    return FileResult::Failure(FileFailure::Write,
                               "Cannot write " + QuotedName(path) + ": " + reason(error) + ".");
}

// Writes all of bytes, resuming after short writes and interrupted calls.
bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Creates a new, empty temporary file beside target. The name is short (".cz", the process and a
// counter), so that a target whose name is as long as the file system allows still gets one; it is
// hidden, and O_EXCL guarantees that no existing file is ever opened. The mode 0666 lets the user's
// umask decide the permissions of a file that did not exist before.
int createTemporary(const fs::path& target, fs::path& temporary) {
    static std::atomic<unsigned> counter{0};
    const fs::path folder = target.parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name =
            ".cz" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
        temporary = folder.empty() ? fs::path(name) : folder / name;
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// A symbolic link is written through: the file at the end of the chain of links gets the new bytes
// and every link stays. A relative link points from the link's own folder; a dangling link names
// the file to create. Returns false with errno ELOOP for a chain that does not end.
bool resolveTarget(const fs::path& path, fs::path& target) {
    constexpr int MAX_LINKS = 40; // as the kernel allows in one path
    target = path;
    for (int links = 0; links < MAX_LINKS; ++links) {
        std::error_code ec;
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) // not a link (or nothing there): the chain ends here
            return true;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    errno = ELOOP;
    return false;
}

// An existing target the user made read-only is refused rather than replaced: the rename would
// pass, since only the folder's permission counts for it. Root may write any file, so for root a
// file without any write bit counts as read-only, which is what chmod 444 means.
bool isReadOnly(const fs::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    if (::geteuid() == 0)
        return (info.st_mode & 0222) == 0;
    return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

// Makes the rename itself durable. Failing here loses nothing that is already written, so the
// result is not reported.
void syncFolder(const fs::path& target) {
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::string QuotedName(const fs::path& path) {
    return "\"" + path.string() + "\"";
}

FileResult writeFileAtomically(const fs::path& path, std::string_view bytes) {
    fs::path target;
    if (!resolveTarget(path, target))
        return writeFailure(path, errno);
    if (isReadOnly(target))
        return FileResult::Failure(FileFailure::Write,
                                   "Cannot write " + QuotedName(path) + ": the file is read-only.");
    fs::path temporary;
    const int fd = createTemporary(target, temporary);
    if (fd < 0)
        return writeFailure(path, errno);

    struct stat old {};
    bool ok = true;
    int error = 0;
    if (::stat(target.c_str(), &old) == 0 && ::fchmod(fd, old.st_mode & 07777) != 0) {
        ok = false;
        error = errno;
    }
    if (ok && (!writeAll(fd, bytes) || ::fsync(fd) != 0)) {
        ok = false;
        error = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return writeFailure(path, error);
    }
    syncFolder(target);
    return {};
}

FileResult readWholeFile(const fs::path& path, std::string& bytes) {
    bytes.clear();
    const auto refused = [&](const std::string& why) {
        return FileResult::Failure(FileFailure::Open,
                                   "Cannot open " + QuotedName(path) + ": " + why + ".");
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return refused(reason(errno));
    struct stat info {};
    std::string refusal;
    if (::fstat(fd, &info) != 0)
        refusal = reason(errno);
    else if (S_ISDIR(info.st_mode))
        refusal = "it is a folder";
    else if (!S_ISREG(info.st_mode))
        refusal = "it is not a regular file";
    else if (static_cast<std::uintmax_t>(info.st_size) > MAX_READ_SIZE)
        refusal = "it is too large (" + std::to_string(info.st_size) + " bytes)";
    if (!refusal.empty()) {
        ::close(fd);
        return refused(refusal);
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            bytes.clear();
            return FileResult::Failure(FileFailure::Read, "Cannot read " + QuotedName(path) + ": " +
                                                              reason(error) + ".");
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return {};
}

bool folderWritable(const fs::path& folder) {
    return ::access(folder.c_str(), W_OK) == 0;
}

bool pathExists(const fs::path& path) {
    std::error_code ec;
    return fs::status(path, ec).type() != fs::file_type::not_found;
}

} // namespace cadenzo
