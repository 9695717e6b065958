#include "app/instance_key.h"
#include "app/single_instance.h"
#include "app/termination_signals.h"
#include "support/test_app.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QUuid>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <regex>
#include <thread>
#include <vector>

namespace cadenzo {
namespace {

// Four starts at once, three with a file, over a crashed instance's socket: one runs, takes the
// socket; the others wait, hand it their file's full absolute name (or a raise), end once taken.
TEST(SingleInstance, OfStartsRacingOneRunsAndTakesTheOthersFiles) {
    test::App();
    constexpr int kStarts = 4;
    const QString key = QStringLiteral("cadenzo-test-") + QUuid::createUuid().toString();
    auto probe = std::make_unique<QLocalServer>(); // where the crashed instance's socket was
    ASSERT_TRUE(probe->listen(key));
    const QByteArray socketFile = QFile::encodeName(probe->fullServerName());
    probe.reset();
    ASSERT_EQ(::mknod(socketFile.constData(), S_IFSOCK | 0600, 0), 0); // a socket nobody hears
    const QString here = QDir::currentPath() + QLatin1Char('/');
    const QByteArray odd = "/tmp/a b\n%41\t\xc3\xa9.cz0", given[] = {"x.crd", odd, "", "sub/y.cz0"};
    const QString expected[] = {here + "x.crd", QFile::decodeName(odd), {}, here + "sub/y.cz0"};
    std::array<std::unique_ptr<SingleInstance>, kStarts> starts;
    for (auto& start : starts)
        start = std::make_unique<SingleInstance>(key);
    std::mutex mutex; // guards `taken` while the window thread adds to it
    QStringList taken, wanted;
    std::array<bool, kStarts> endedBeforeTaken{};
    std::array<std::atomic<int>, kStarts> answer{}; // 0 pending, 1 runs, 2 ends, 3 counted
    std::vector<std::thread> threads;
    for (int i = 0; i < kStarts; ++i)
        threads.emplace_back([&, i] {
            const bool ends = starts[i]->askRunningInstance(given[i]);
            const std::lock_guard lock(mutex);
            endedBeforeTaken[i] = ends && !given[i].isEmpty() && !taken.contains(expected[i]);
            answer[i] = ends ? 2 : 1;
        });
    int runs = 0;
    QElapsedTimer waited;
    waited.start();
    while (taken.size() + runs < kStarts && waited.elapsed() < 20000) {
        for (int i = 0; i < kStarts; ++i)
            if (answer[i] == 1 && answer[i].exchange(3) == 1 && ++runs == 1) {
                EXPECT_TRUE(starts[i]->Listen([&](const QString& name) {
                    const std::lock_guard lock(mutex);
                    taken.append(name);
                }));
            }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    for (int i = 0; i < kStarts; ++i) {
        threads[i].join();
        if (answer[i] == 2)
            wanted.append(expected[i]);
    }
    EXPECT_EQ(runs, 1);
    taken.sort(), wanted.sort();
    EXPECT_EQ(taken.join('|').toStdString(), wanted.join('|').toStdString());
    EXPECT_EQ(endedBeforeTaken, (std::array<bool, kStarts>{}));
}

// Keys equal exactly for one display's names (displays apart by ';'), safe and short as sockets.
TEST(SingleInstance, KeyNamesTheUserAndTheDisplay) {
    test::App();
    const QStringList displays = QStringLiteral(":0,:0.0,unix:0,unix:00.1;:1;:10.0;remote:10.0,"
                                                "remote:10;localhost:10;;:x;a host/with:many:7")
                                     .split(';');
    std::vector<std::pair<std::string, qsizetype>> keys;
    for (qsizetype display = 0; display < displays.size(); ++display)
        for (const QString& name : displays[display].split(','))
            keys.emplace_back(instanceKey("alice", "xcb", xDisplayId(name.toStdString())), display);
    for (const auto& [a, displayA] : keys) {
        EXPECT_TRUE(std::regex_match(a, std::regex("[A-Za-z0-9._-]{1,48}"))) << a;
        for (const auto& [b, displayB] : keys)
            EXPECT_EQ(a == b, displayA == displayB) << a << " " << b;
    }
    EXPECT_EQ(keys[1].first, "Cadenzo-alice-xcb-0");
    // Names that differ only in characters a file name cannot take, or beyond the length kept.
    EXPECT_NE(instanceKey("a b", "xcb", "0"), instanceKey("a_b", "xcb", "0"));
    const std::string socket(60, 'w');
    EXPECT_NE(instanceKey("u", "wayland", socket + "1"), instanceKey("u", "wayland", socket + "2"));
    EXPECT_NE(SingleInstance::defaultKey().indexOf(QLatin1String("-offscreen")), -1);
}

// A further termination signal ends Cadenzo at once only once the close's saving has run for
// more than SAVE_GRACE_NS; before the saving starts it is the same request once more.
TEST(TerminationSignals, AFurtherSignalEndsOnlyASaveThatHangs) {
    EXPECT_FALSE(furtherSignalEndsAtOnce(0, 100 * SAVE_GRACE_NS));
    EXPECT_FALSE(furtherSignalEndsAtOnce(SAVE_GRACE_NS, 2 * SAVE_GRACE_NS));
    EXPECT_TRUE(furtherSignalEndsAtOnce(SAVE_GRACE_NS, 2 * SAVE_GRACE_NS + 1));
}

} // namespace
} // namespace cadenzo
