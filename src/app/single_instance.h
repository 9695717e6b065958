#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

namespace cadenzo {

// Only one Cadenzo runs per user: a second start asks the first to bring its window forward and
// ends. The first instance holds a lock file in the runtime folder for its whole run and listens
// on a local socket, both named after the program and the user. The lock decides which of two
// starts at the same moment runs; the socket only carries the request to raise the window.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(const QString& key = defaultKey());
    ~SingleInstance() override;

    // True when another instance holds the lock (it was asked to raise its window): end at once.
    // False when this start took the lock and is to run. Safe from any thread.
    bool askRunningInstance();
    // Start listening; `raise` runs on the window thread whenever a later start knocks.
    bool Listen(std::function<void()> raise);

    static QString defaultKey();

private:
    QString key_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

} // namespace cadenzo
