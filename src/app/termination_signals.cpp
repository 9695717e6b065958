#include "app/termination_signals.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace cadenzo {

namespace {

int requestPipe[2] = {-1, -1};
std::atomic<int> signalsTaken{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch lock-free data");

constexpr int TERMINATION_SIGNALS[] = {SIGTERM, SIGINT, SIGHUP};

// Async-signal-safe only: a lock-free atomic add, write() and _exit().
extern "C" void onTerminationSignal(int signalNumber) {
    if (signalsTaken.fetch_add(1) > 0)
        _exit(128 + signalNumber); // the second one: the close takes too long for the user
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = write(requestPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

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

bool endingBySignal() {
    return signalsTaken.load() > 0;
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
