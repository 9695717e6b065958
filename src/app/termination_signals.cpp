#include "app/termination_signals.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace cadenzo {

namespace {

int requestPipe[2] = {-1, -1};
std::atomic<int> signalsTaken{0};
// CLOCK_MONOTONIC nanoseconds at which the close began to save; 0 while it has not.
std::atomic<std::int64_t> saveStartedNs{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch lock-free data");
static_assert(std::atomic<std::int64_t>::is_always_lock_free,
              "the handler may only touch lock-free data");

constexpr int TERMINATION_SIGNALS[] = {SIGTERM, SIGINT, SIGHUP};

std::int64_t monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

// Async-signal-safe only: lock-free atomics, clock_gettime(), write() and _exit().
extern "C" void onTerminationSignal(int signalNumber) {
    if (signalsTaken.fetch_add(1) > 0) {
        if (furtherSignalEndsAtOnce(saveStartedNs.load(), monotonicNs()))
            _exit(128 + signalNumber);
        return; // the same request once more: the close is under way
    }
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = write(requestPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

bool furtherSignalEndsAtOnce(std::int64_t saveStartedNs, std::int64_t nowNs) {
    return saveStartedNs != 0 && nowNs - saveStartedNs > SAVE_GRACE_NS;
}

void markClosingSaveStarted() {
    std::int64_t notYet = 0;
    // The first close's start counts; 0 itself is kept for "not yet".
    saveStartedNs.compare_exchange_strong(notYet, std::max<std::int64_t>(monotonicNs(), 1));
}

bool endingBySignal() {
    return signalsTaken.load() > 0;
}

bool installTerminationHandlers() {
    if (requestPipe[0] < 0 && pipe2(requestPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    // Calls interrupted by the signal (a read of the X connection, a sleep in a device library)
    // carry on as if nothing happened: the close comes through the event loop.
    action.sa_flags = SA_RESTART;
    sigset_t taken;
    sigemptyset(&taken);
    for (const int s : TERMINATION_SIGNALS) {
        sigaction(s, &action, nullptr);
        sigaddset(&taken, s);
    }
    // Started with them blocked (by a launcher, a session manager), they would never reach the
    // handler; one that is pending since then is delivered now, into the pipe.
    sigprocmask(SIG_UNBLOCK, &taken, nullptr);
    return true;
}

TerminationRequests::TerminationRequests(QObject* parent) : QObject(parent) {
    dismisser_ = new QTimer(this);
    dismisser_->setInterval(20);
    connect(dismisser_, &QTimer::timeout, this, &TerminationRequests::dismissModalBox);
    if (requestPipe[0] < 0)
        return;
    notifier_ = new QSocketNotifier(requestPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationRequests::takeRequest);
}

void TerminationRequests::closeWhenReady(QWidget& window) {
    window_ = &window;
    dismisser_->stop();
    if (requested_)
        QTimer::singleShot(0, this, &TerminationRequests::close);
}

void TerminationRequests::takeRequest() {
    unsigned char bytes[16];
    while (read(requestPipe[0], bytes, sizeof bytes) > 0) {
    }
    requested_ = true;
    if (window_ != nullptr) {
        close();
        return;
    }
    // Still starting: the window's own state is half-built and its settings may not have been
    // read yet, so nothing of it is touched now. The start-up runs to its end (any box it shows
    // is dismissed), then the close runs as for a complete window: the files are only written
    // from settings and chords that were read, never from the half-built defaults.
    dismissModalBox();
    dismisser_->start();
}

void TerminationRequests::close() {
    if (closing_ || window_ == nullptr)
        return;
    closing_ = true;
    // A question on the screen ("Save changes to the song?") has nobody to answer it now: it is
    // cancelled, and the close keeps the song as a recovery copy instead.
    dismissModalBox();
    if (auto* command = window_->findChild<QAction*>(QStringLiteral("Close1")))
        command->trigger();
    else
        window_->close();
}

void TerminationRequests::dismissModalBox() {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
        dialog->reject();
}

} // namespace cadenzo
