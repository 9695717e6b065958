#pragma once

#include <QObject>

#include <cstdint>
#include <functional>

class QSocketNotifier;
class QTimer;
class QWidget;

namespace cadenzo {

// SIGTERM, SIGINT and SIGHUP (a logout, `kill`, Ctrl+C, a closed terminal) close Cadenzo the way
// "Close (&X)" does, so that the settings and the user chords are written as at any close.
//
// The handler itself only writes the signal's number into a pipe; the window's thread reads it
// through a socket notifier. Further signals are the same request once more (a `kill` and the
// terminal's hang-up together, two hang-ups of a closing terminal): the close is left to save.
// Only when its saving began more than SAVE_GRACE_NS ago does a further signal end the process
// at once: a close that hangs (a device that does not let go) can still be ended from outside.
//
// Installs the handlers. Called first in main(), before the application object exists, so that
// no moment of the start-up is left to the signals' default action. False when the pipe cannot
// be made (the default actions then stay). The three signals are unblocked if the process was
// started with them blocked.
bool installTerminationHandlers();

constexpr std::int64_t SAVE_GRACE_NS = 3'000'000'000;

// The close begins to write the settings and the chords: from now on, and once SAVE_GRACE_NS
// have passed, a further termination signal ends the process at once. Only the first call counts.
// Window thread.
void markClosingSaveStarted();

// True once a termination signal was taken: the close under way was asked for from outside, and
// nobody is there to answer a question. Any thread.
bool endingBySignal();

// Whether a further signal ends the process at once, given the CLOCK_MONOTONIC nanoseconds at
// which the saving started (0: not yet) and now. Any thread, also the signal handler.
bool furtherSignalEndsAtOnce(std::int64_t saveStartedNs, std::int64_t nowNs);

// Turns the signals that reached the pipe into a close of the main window, on its thread.
class TerminationRequests : public QObject {
public:
    // Needs the application object; a request that comes before closeWhenReady() is kept.
    explicit TerminationRequests(QObject* parent = nullptr);

    // The main window is complete (its settings read, its chords loaded, the port opened): from
    // now on a request closes it through its Close command (the QAction named "Close1"), and a
    // request kept from the start-up does so as soon as the event loop runs.
    void closeWhenReady(QWidget& window);

private:
    void takeRequest();
    void close();
    static void dismissModalBox();

    QSocketNotifier* notifier_ = nullptr;
    // During the start-up a request dismisses the message boxes the window may show (a device
    // that does not open), so that the start-up ends and the close can follow.
    QTimer* dismisser_ = nullptr;
    QWidget* window_ = nullptr;
    bool requested_ = false;
    bool closing_ = false;
};

} // namespace cadenzo
