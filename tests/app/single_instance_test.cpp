#include "app/single_instance.h"

#include "support/test_app.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QUuid>
#include <gtest/gtest.h>

namespace cadenzo {
namespace {

QString UniqueKey() { return QStringLiteral("cadenzo-test-") + QUuid::createUuid().toString(); }

TEST(SingleInstance, FirstStartFindsNobodySecondStartRaisesTheFirst) {
    test::App();
    const QString key = UniqueKey();
    SingleInstance first(key);
    EXPECT_FALSE(first.AskRunningInstance());
    int raised = 0;
    ASSERT_TRUE(first.Listen([&raised] { ++raised; }));

    SingleInstance second(key);
    EXPECT_TRUE(second.AskRunningInstance());
    QElapsedTimer waited;
    waited.start();
    while (raised == 0 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(raised, 1);
}

TEST(SingleInstance, ASocketLeftByACrashedInstanceIsTakenOver) {
    test::App();
    const QString key = UniqueKey();
    {
        SingleInstance crashed(key);
        ASSERT_TRUE(crashed.Listen([] {}));
    } // the server object is gone; a stale socket file may remain on some systems
    SingleInstance next(key);
    EXPECT_FALSE(next.AskRunningInstance());
    EXPECT_TRUE(next.Listen([] {}));
}

} // namespace
} // namespace cadenzo
