#include "app/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace cadenzo {

namespace {
constexpr int kAnswerMs = 1000;
const QByteArray kRaise = "raise\n";
} // namespace

SingleInstance::SingleInstance(const QString& key) : key_(key) {}

QString SingleInstance::DefaultKey() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QString::number(::getuid());
    return QStringLiteral("Cadenzo-") + user;
}

bool SingleInstance::AskRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(key_);
    if (!socket.waitForConnected(kAnswerMs))
        return false;
    socket.write(kRaise);
    socket.waitForBytesWritten(kAnswerMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::Listen(std::function<void()> raise) {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(key_)) {
        // A socket left behind by an instance that crashed: nobody answered on it above.
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
