#pragma once

#include "files/file_result.h"
#include "files/song_file.h"

#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace cadenzo {

// The bytes that tell whether the song has changed since it was last saved or loaded: the song
// file's bytes with the frets of the fretboard left out. The frets are saved with the song, but
// trying chords on the neck is playing, not editing: a song whose only difference is the hand on
// the neck is not worth a question at close.
std::vector<std::uint8_t> songChangeBytes(const SongFileParts& parts);
// The same made from the song file's bytes (encodeSongFile's), when those are at hand.
std::vector<std::uint8_t> songChangeBytes(std::vector<std::uint8_t> songFileBytes);

// The folder of the recovery copies: $XDG_STATE_HOME/cadenzo, or ~/.local/state/cadenzo when
// XDG_STATE_HOME is unset or not an absolute path. Empty when neither can be made out.
std::filesystem::path defaultRecoveryFolder();

// A copy left behind by a run that did not end normally: killed, crashed, a power cut, or ended
// by a signal with the song unsaved.
struct OrphanCopy {
    std::string id;
    std::filesystem::path songCopy; // the song's bytes, an ordinary song file
    std::string songPath;           // the name the song had in that run; empty for a new song
    std::time_t savedAt = 0;        // when the copy was last written
};

// Crash recovery for one run of the program. While the song has unsaved changes, the window
// hands its bytes to keep(); a thread of its own writes them atomically into the recovery folder,
// so the window never waits on the disk. Each run holds a lock (flock) on a file of its own
// for as long as it lives: the kernel lets go of it however the process ends, so a copy whose
// lock nobody holds was left by a run that is gone.
//
// Files in the folder, per run: <id>.lock, <id>.cz0 (the song), <id>.name (its file name).
//
// keep(), forget(), flush(), findOrphan() and the orphan functions: window thread only. The
// writer thread touches only the queued bytes and this run's files.
class RecoverySession {
public:
    // An empty folder switches recovery off: nothing is written or found.
    explicit RecoverySession(std::filesystem::path folder);
    ~RecoverySession(); // ends the writer after the queued work; this run's copy stays if kept
    RecoverySession(const RecoverySession&) = delete;
    RecoverySession& operator=(const RecoverySession&) = delete;

    // Makes the folder and takes this run's lock. A failure (a folder that cannot be made) turns
    // recovery off and says why.
    FileResult open();
    bool active() const { return lockFd_ >= 0; }
    const std::filesystem::path& folder() const { return folder_; }

    // Queues the song's bytes and name to be written as this run's copy; a newer call replaces
    // bytes not yet written.
    void keep(std::vector<std::uint8_t> bytes, std::string songPath);
    // Queues the removal of this run's copy (the song was saved, discarded, or closed normally).
    void forget();
    // Waits until everything queued is on disk (or removed). Returns the last write's failure,
    // if any.
    FileResult flush();

    // The newest copy of a run that is gone, claimed by this run (no other start offers it)
    // until restored, discarded or released. Copies of other gone runs stay for a later start.
    std::optional<OrphanCopy> findOrphan();
    // Removes the orphan's files.
    void discardOrphan(const OrphanCopy& orphan);
    // Leaves the orphan for a later start.
    void releaseOrphan(const OrphanCopy& orphan);

private:
    struct Job {
        bool remove = false;
        std::vector<std::uint8_t> bytes;
        std::string songPath;
    };
    void writerLoop();
    FileResult runJob(const Job& job);
    std::filesystem::path file(const std::string& id, const char* ending) const;
    int claim(const std::string& id) const;

    std::filesystem::path folder_;
    std::string id_;
    int lockFd_ = -1;
    int orphanFd_ = -1;
    std::string writtenName_; // the name file's content on disk; writer thread only

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<Job> pending_; // guarded by mutex_
    bool busy_ = false;          // guarded by mutex_
    bool stopping_ = false;      // guarded by mutex_
    FileResult lastResult_;      // guarded by mutex_
    std::thread writer_;
};

} // namespace cadenzo
