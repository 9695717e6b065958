#include "app/single_instance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

namespace cadenzo {

namespace {
constexpr int ANSWER_MS = 1000;
// How long a later start waits for an instance that holds the lock but is still creating its
// window before it listens.
constexpr int STARTING_MS = 10000;
const QByteArray kRaise = "raise\n";

QString lockPath(const QString& key) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(key + QStringLiteral(".lock"));
}

bool askToRaise(const QString& key) {
    QLocalSocket socket;
    socket.connectToServer(key);
    if (!socket.waitForConnected(ANSWER_MS))
        return false;
    socket.write(kRaise);
    socket.waitForBytesWritten(ANSWER_MS);
    socket.disconnectFromServer();
    return true;
}
} // namespace

SingleInstance::SingleInstance(const QString& key) : key_(key) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultKey() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QString::number(::getuid());
    return QStringLiteral("Cadenzo-") + user;
}

bool SingleInstance::askRunningInstance() {
    auto lock = std::make_unique<QLockFile>(lockPath(key_));
    // Only a lock whose process has ended is stale, however long the first instance runs.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        lock_ = std::move(lock);
        return false;
    }
    if (lock->error() != QLockFile::LockFailedError)
        return askToRaise(key_); // no lock can be taken here: the socket alone decides
    // The holder runs, or is still creating its window and will listen shortly.
    QElapsedTimer waited;
    waited.start();
    while (!askToRaise(key_) && waited.elapsed() < STARTING_MS)
        QThread::msleep(20);
    return true;
}

bool SingleInstance::Listen(std::function<void()> raise) {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(key_)) {
        // A socket left behind by an instance that crashed: this start holds the lock, so no
        // live instance listens on it.
        QLocalServer::removeServer(key_);
        if (!server_->listen(key_))
            return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this, raise] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            raise();
        }
    });
    return true;
}

} // namespace cadenzo
