#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

namespace cadenzo {

// Only one Cadenzo runs per user: a second start asks the first to bring its window forward and
// ends. The first instance listens on a local socket named after the program and the user.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(const QString& key = DefaultKey());

    // True when another instance answered (and was asked to raise its window): end at once.
    bool AskRunningInstance();
    // Start listening; `raise` runs on the window thread whenever a later start knocks.
    bool Listen(std::function<void()> raise);

    static QString DefaultKey();

private:
    QString key_;
    QLocalServer* server_ = nullptr;
};

} // namespace cadenzo
