#include "app/single_instance.h"

#include "app/instance_key.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <cstdlib>
#include <unistd.h>

namespace cadenzo {

namespace {
constexpr int ANSWER_MS = 1000;
// How long a later start waits for an instance that holds the lock but is still creating its
// window before it listens.
constexpr int STARTING_MS = 10000;
const QByteArray RAISE = "raise";
const QByteArray OPEN = "open\t";

QString lockPath(const QString& key) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(key + QStringLiteral(".lock"));
}

// The name a later start was given, made absolute against its own working folder: the running
// instance works in another. The bytes stay as given; no "..", no link is resolved here.
QByteArray absoluteName(const QByteArray& given) {
    if (given.startsWith('/'))
        return given;
    char* folder = ::getcwd(nullptr, 0);
    const QByteArray name = QByteArray(folder != nullptr ? folder : ".") + '/' + given;
    std::free(folder);
    return name;
}

bool knock(const QString& key, const QByteArray& request) {
    QLocalSocket socket;
    socket.connectToServer(key);
    if (!socket.waitForConnected(ANSWER_MS))
        return false;
    socket.write(request);
    socket.waitForBytesWritten(ANSWER_MS);
    // The running instance hangs up once it has taken the request: a file name is not left
    // behind half-sent. One that only knows "raise" never hangs up, and has raised its window.
    if (request != RAISE + '\n' && socket.state() == QLocalSocket::ConnectedState)
        socket.waitForDisconnected(ANSWER_MS);
    socket.disconnectFromServer();
    return true;
}

// One request per connection; a line this instance does not know is passed over.
void takeRequest(QLocalSocket& socket, const std::function<void(const QString&)>& request) {
    while (socket.canReadLine()) {
        QByteArray line = socket.readLine();
        line.chop(1);
        if (line == RAISE)
            request(QString());
        else if (line.startsWith(OPEN))
            request(QFile::decodeName(QByteArray::fromPercentEncoding(line.mid(OPEN.size()))));
        else
            continue;
        socket.disconnectFromServer();
        return;
    }
}
} // namespace

SingleInstance::SingleInstance(const QString& key) : key_(key) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultKey() {
    QByteArray user = qgetenv("USER");
    if (user.isEmpty())
        user = QByteArray::number(::getuid());
    const QString platform = QGuiApplication::platformName();
    QByteArray display;
    if (platform == QLatin1String("xcb")) {
        display = QByteArray::fromStdString(xDisplayId(qgetenv("DISPLAY").toStdString()));
    } else if (platform.startsWith(QLatin1String("wayland"))) {
        display = qgetenv("WAYLAND_DISPLAY");
        if (display.isEmpty())
            display = "wayland-0";
    }
    return QString::fromStdString(
        instanceKey(user.toStdString(), platform.toStdString(), display.toStdString()));
}

bool SingleInstance::askRunningInstance(const QByteArray& fileName) {
    const QByteArray request = fileName.isEmpty()
                                   ? RAISE + '\n'
                                   : OPEN + absoluteName(fileName).toPercentEncoding() + '\n';
    auto lock = std::make_unique<QLockFile>(lockPath(key_));
    // Only a lock whose process has ended is stale, however long the first instance runs.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        lock_ = std::move(lock);
        return false;
    }
    if (lock->error() != QLockFile::LockFailedError)
        return knock(key_, request); // no lock can be taken here: the socket alone decides
    // The holder runs, or is still creating its window and will listen shortly.
    QElapsedTimer waited;
    waited.start();
    while (!knock(key_, request) && waited.elapsed() < STARTING_MS)
        QThread::msleep(20);
    return true;
}

bool SingleInstance::Listen(std::function<void(const QString& fileName)> request) {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(key_)) {
        // A socket left behind by an instance that crashed: this start holds the lock, so no
        // live instance listens on it.
        QLocalServer::removeServer(key_);
        if (!server_->listen(key_))
            return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this, request] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, socket,
                    [socket, request] { takeRequest(*socket, request); });
        }
    });
    return true;
}

} // namespace cadenzo
