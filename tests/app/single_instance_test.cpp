#include "app/single_instance.h"

#include "support/test_app.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QUuid>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace cadenzo {
namespace {

QString UniqueKey() {
    return QStringLiteral("cadenzo-test-") + QUuid::createUuid().toString();
}

TEST(SingleInstance, ASocketLeftByACrashedInstanceIsTakenOver) {
    test::App();
    const QString key = UniqueKey();
    // A crashed instance leaves its bound socket file with nobody listening on it.
    QString path;
    {
        QLocalServer probe;
        ASSERT_TRUE(probe.listen(key));
        path = probe.fullServerName();
    }
    const QByteArray file = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<std::size_t>(file.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, file.constData(), static_cast<std::size_t>(file.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(path));

    SingleInstance next(key);
    EXPECT_FALSE(next.askRunningInstance());
    EXPECT_TRUE(next.Listen([] {}));
}

// Four starts at the same moment: exactly one finds nobody and runs; the others wait until it
// listens, ask it to raise its window and end.
TEST(SingleInstance, OfStartsRacingExactlyOneRuns) {
    test::App();
    constexpr int kStarts = 4;
    const QString key = UniqueKey();
    std::array<std::unique_ptr<SingleInstance>, kStarts> starts;
    for (auto& start : starts)
        start = std::make_unique<SingleInstance>(key);
    std::array<std::atomic<int>, kStarts> answer{}; // 0 pending, 1 runs, 2 ends, 3 counted
    std::vector<std::thread> threads;
    for (int i = 0; i < kStarts; ++i)
        threads.emplace_back([&, i] { answer[i] = starts[i]->askRunningInstance() ? 2 : 1; });
    int raised = 0, runs = 0;
    QElapsedTimer waited;
    waited.start();
    while (raised + runs < kStarts && waited.elapsed() < 20000) {
        for (int i = 0; i < kStarts; ++i)
            if (answer[i] == 1 && answer[i].exchange(3) == 1 && ++runs == 1)
                starts[i]->Listen([&raised] { ++raised; });
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(raised, kStarts - 1);
}

} // namespace
} // namespace cadenzo
