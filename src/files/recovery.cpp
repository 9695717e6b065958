#include "files/recovery.h"

#include "files/atomic_file.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cadenzo {
namespace fs = std::filesystem;

namespace {

constexpr const char* SONG_ENDING = ".cz0";
constexpr const char* NAME_ENDING = ".name";
constexpr const char* LOCK_ENDING = ".lock";
// The FLT chunk (tuning and fret of each string) stands last before the 4-byte END chunk.
constexpr std::size_t FRET_PAIRS_FROM_END = 4 + 12;

std::string newRunId() {
    std::random_device random;
    const auto tag = static_cast<unsigned>(random()) & 0xFFFFFFu;
    char hex[8];
    std::snprintf(hex, sizeof hex, "%06x", tag);
    return "run-" + std::to_string(::getpid()) + "-" + hex;
}

std::string_view text(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace

std::vector<std::uint8_t> songChangeBytes(const SongFileParts& parts) {
    return songChangeBytes(encodeSongFile(parts));
}

std::vector<std::uint8_t> songChangeBytes(std::vector<std::uint8_t> bytes) {
    if (bytes.size() >= FRET_PAIRS_FROM_END)
        for (std::size_t i = bytes.size() - FRET_PAIRS_FROM_END + 1; i < bytes.size() - 4; i += 2)
            bytes[i] = 0;
    return bytes;
}

fs::path defaultRecoveryFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && fs::path(state).is_absolute())
        return fs::path(state) / "cadenzo";
    const char* home = std::getenv("HOME");
    if (home != nullptr && fs::path(home).is_absolute())
        return fs::path(home) / ".local" / "state" / "cadenzo";
    return {};
}

RecoverySession::RecoverySession(fs::path folder) : folder_(std::move(folder)) {}

RecoverySession::~RecoverySession() {
    if (writer_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        writer_.join();
    }
    if (orphanFd_ >= 0)
        ::close(orphanFd_);
    if (lockFd_ >= 0) {
        // A copy still here is found by the next start: no live run holds its lock any more.
        ::unlink(file(id_, LOCK_ENDING).c_str());
        ::close(lockFd_);
    }
}

fs::path RecoverySession::file(const std::string& id, const char* ending) const {
    return folder_ / (id + ending);
}

FileResult RecoverySession::open() {
    if (folder_.empty() || active())
        return {};
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec)
        return FileResult::Failure(FileFailure::Write, "Cannot keep recovery copies in " +
                                                           QuotedName(folder_) + ": " +
                                                           ec.message() + ".");
    id_ = newRunId();
    lockFd_ = claim(id_);
    if (lockFd_ < 0)
        return FileResult::Failure(FileFailure::Write,
                                   "Cannot keep recovery copies in " + QuotedName(folder_) + ".");
    writer_ = std::thread([this] { writerLoop(); });
    return {};
}

// Opens (creating it if need be) the lock of run `id` and takes it without waiting; -1 when a
// live run holds it.
int RecoverySession::claim(const std::string& id) const {
    const int fd = ::open(file(id, LOCK_ENDING).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void RecoverySession::keep(std::vector<std::uint8_t> bytes, std::string songPath) {
    if (!active())
        return;
    {
        std::lock_guard lock(mutex_);
        pending_ = Job{false, std::move(bytes), std::move(songPath)};
    }
    wake_.notify_one();
}

void RecoverySession::forget() {
    if (!active())
        return;
    {
        std::lock_guard lock(mutex_);
        pending_ = Job{true, {}, {}};
    }
    wake_.notify_one();
}

FileResult RecoverySession::flush() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !pending_ && !busy_; });
    return lastResult_;
}

void RecoverySession::writerLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ || stopping_; });
        if (!pending_)
            return;
        const Job job = std::move(*pending_);
        pending_.reset();
        busy_ = true;
        lock.unlock();
        const FileResult result = runJob(job);
        lock.lock();
        busy_ = false;
        lastResult_ = result;
        if (!pending_)
            idle_.notify_all();
    }
}

FileResult RecoverySession::runJob(const Job& job) {
    const fs::path song = file(id_, SONG_ENDING);
    const fs::path name = file(id_, NAME_ENDING);
    if (job.remove) {
        ::unlink(song.c_str());
        ::unlink(name.c_str());
        writtenName_.clear();
        return {};
    }
    // The name first: a copy on disk never stands beside the name of another song.
    if (writtenName_ != job.songPath || !pathExists(name)) {
        if (FileResult r = writeFileAtomically(name, job.songPath); !r)
            return r;
        writtenName_ = job.songPath;
    }
    return writeFileAtomically(song, text(job.bytes));
}

std::optional<OrphanCopy> RecoverySession::findOrphan() {
    if (!active())
        return std::nullopt;
    std::optional<OrphanCopy> newest;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path entry = it->path();
        const std::string id = entry.stem().string();
        const std::string ending = entry.extension().string();
        if (id == id_ || (ending != SONG_ENDING && ending != LOCK_ENDING))
            continue;
        const bool hasCopy = pathExists(file(id, SONG_ENDING));
        if (ending == LOCK_ENDING && hasCopy)
            continue; // looked at through its copy
        const int fd = claim(id);
        if (fd < 0)
            continue; // a live run's
        if (!hasCopy) {
            // A run that ended with nothing to recover, or left only its lock: tidy up.
            ::unlink(file(id, NAME_ENDING).c_str());
            ::unlink(file(id, LOCK_ENDING).c_str());
            ::close(fd);
            continue;
        }
        struct stat info {};
        if (::stat(file(id, SONG_ENDING).c_str(), &info) != 0 ||
            (newest && info.st_mtime < newest->savedAt)) {
            ::close(fd);
            continue;
        }
        std::string songPath;
        if (!readWholeFile(file(id, NAME_ENDING), songPath))
            songPath.clear();
        if (orphanFd_ >= 0)
            ::close(orphanFd_);
        orphanFd_ = fd;
        newest = OrphanCopy{id, file(id, SONG_ENDING), songPath, info.st_mtime};
    }
    return newest;
}

void RecoverySession::discardOrphan(const OrphanCopy& orphan) {
    for (const char* ending : {SONG_ENDING, NAME_ENDING, LOCK_ENDING})
        ::unlink(file(orphan.id, ending).c_str());
    releaseOrphan(orphan);
}

void RecoverySession::releaseOrphan(const OrphanCopy&) {
    if (orphanFd_ >= 0)
        ::close(orphanFd_);
    orphanFd_ = -1;
}

} // namespace cadenzo
