#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

namespace cadenzo {

// Only one Cadenzo runs per user and display: a second start on the same display hands the file
// it was given (a double-click in the file manager) to the first, asks it to bring its window
// forward, and ends. A start on another display (a second X display, a remote or nested session)
// runs on its own. The first instance holds a lock file in the runtime folder for its whole run
// and listens on a local socket, both named by defaultKey(). The lock decides which of two starts
// at the same moment runs; the socket carries the requests, one line each:
//   "raise\n"            bring the window forward
//   "open\t<name>\n"     bring it forward and open the file; the name is absolute, its bytes
//                        percent-encoded so that any byte of a file name passes
// An instance that knows only "raise" brings its window forward at any connection.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(const QString& key = defaultKey());
    ~SingleInstance() override;

    // True when another instance holds the lock: it was asked to raise its window and to open
    // `fileName` (bytes as given on the command line, relative to the current folder; empty for
    // none), and this start is to end. False when this start took the lock and is to run. Returns
    // only once the running instance has taken the file name. Safe from any thread.
    bool askRunningInstance(const QByteArray& fileName = {});
    // Start listening; `request` runs on the window thread whenever a later start knocks, with the
    // absolute name of the file to open, or an empty name for a plain raise.
    bool Listen(std::function<void(const QString& fileName)> request);

    // "Cadenzo-<user>-<platform>-<display>" for the platform and display of the application
    // object, which must exist.
    static QString defaultKey();

private:
    QString key_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

} // namespace cadenzo
