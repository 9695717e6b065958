#include "app/instance_key.h"
#include "app/single_instance.h"
#include "app/termination_signals.h"

#include "support/test_app.h"

#include <QCoreApplication>
#include <QDir>
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
    EXPECT_TRUE(next.Listen([](const QString&) {}));
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
                starts[i]->Listen([&raised](const QString&) { ++raised; });
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(raised, kStarts - 1);
}

// Keys are equal exactly for the names of one display, and stay safe and short as socket names.
TEST(SingleInstance, KeyNamesTheUserAndTheDisplay) {
    test::App();
    const struct {
        const char* display;
        int same;
    } displays[] = {{":0", 0},
                    {":0.0", 0},
                    {"unix:0", 0},
                    {"unix:00.1", 0},
                    {":1", 1},
                    {":10.0", 10},
                    {"remote:10.0", 11},
                    {"remote:10", 11},
                    {"localhost:10", 12},
                    {"", 13},
                    {":x", 14},
                    {"a host/with:many:7", 15}};
    const auto key = [](const char* user, const std::string& display) {
        return instanceKey(user, "xcb", display);
    };
    EXPECT_EQ(key("alice", xDisplayId(":0.0")), "Cadenzo-alice-xcb-0");
    EXPECT_EQ(instanceKey("alice", "offscreen", ""), "Cadenzo-alice-offscreen");
    for (const auto& a : displays) {
        const std::string keyA = key("alice", xDisplayId(a.display));
        SCOPED_TRACE(a.display + (" -> " + keyA));
        EXPECT_LE(keyA.size(), 48u);
        EXPECT_EQ(keyA.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                         "0123456789._-"),
                  std::string::npos);
        for (const auto& b : displays)
            EXPECT_EQ(keyA == key("alice", xDisplayId(b.display)), a.same == b.same) << b.display;
        EXPECT_NE(keyA, key("bob", xDisplayId(a.display)));
    }
    // Names that differ only in characters a file name cannot take, or beyond the length kept.
    EXPECT_NE(instanceKey("a b", "xcb", "0"), instanceKey("a_b", "xcb", "0"));
    EXPECT_NE(instanceKey("u", "wayland", std::string(60, 'w') + "1"),
              instanceKey("u", "wayland", std::string(60, 'w') + "2"));
    EXPECT_NE(SingleInstance::defaultKey().indexOf(QLatin1String("-offscreen")), -1);
}

// A later start hands its file's absolute name, every byte of it, to the running instance, and
// ends only once the name was taken. A plain start only raises.
TEST(SingleInstance, ALaterStartHandsOverItsFileBeforeItEnds) {
    test::App();
    const QString key = UniqueKey();
    SingleInstance first(key);
    ASSERT_FALSE(first.askRunningInstance());
    std::vector<QString> taken;
    std::atomic<int> count{0};
    ASSERT_TRUE(first.Listen([&](const QString& name) {
        taken.push_back(name);
        ++count;
    }));
    const QByteArray odd = "/tmp/a b\n%41\t\xc3\xa9.cz0";
    const struct {
        QByteArray given;
        QString expected;
    } starts[] = {{"x.crd", QDir::currentPath() + QStringLiteral("/x.crd")},
                  {"", QString()},
                  {odd, QFile::decodeName(odd)}};
    for (const auto& start : starts) {
        std::atomic<int> countAtEnd{-1};
        std::thread later([&] {
            SingleInstance next(key);
            EXPECT_TRUE(next.askRunningInstance(start.given));
            countAtEnd = count.load();
        });
        const int before = static_cast<int>(taken.size());
        QElapsedTimer waited;
        waited.start();
        while ((countAtEnd < 0 || count == before) && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        later.join();
        ASSERT_EQ(taken.size(), before + 1u);
        EXPECT_EQ(taken.back(), start.expected);
        if (!start.given.isEmpty()) {
            EXPECT_EQ(countAtEnd, before + 1) << "ended before its file was taken";
        }
    }
}

// A further termination signal ends Cadenzo at once only when the close's saving has run for
// more than SAVE_GRACE_NS; before the saving starts it is the same request once more.
TEST(TerminationSignals, AFurtherSignalEndsOnlyASaveThatHangs) {
    constexpr std::int64_t started = 5'000'000'000;
    const struct {
        std::int64_t started, now;
        bool ends;
    } cases[] = {{0, 1, false},
                 {0, 100 * SAVE_GRACE_NS, false},
                 {started, started, false},
                 {started, started + SAVE_GRACE_NS, false},
                 {started, started + SAVE_GRACE_NS + 1, true},
                 {started, started + 10 * SAVE_GRACE_NS, true}};
    for (const auto& c : cases)
        EXPECT_EQ(furtherSignalEndsAtOnce(c.started, c.now), c.ends) << c.started << " " << c.now;
}

} // namespace
} // namespace cadenzo
