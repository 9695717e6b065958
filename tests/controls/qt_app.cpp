// One QApplication for every widget test of this executable, created before the first test.

#include <QApplication>
#include <QCursor>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "test_controls";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
        // Park the mouse far from every test window so hover checks see it outside.
        QCursor::setPos(5000, 5000);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    QApplication* app_ = nullptr;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
