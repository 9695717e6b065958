#pragma once

#include <QApplication>
#include <QCursor>

namespace cadenzo::test {

// Left alive until the process ends: destroying it from exit handlers, after the test
// framework's statics are gone, crashes inside Qt.
inline QApplication& App() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *existing;
    static int argc = 1;
    static char name[] = "cadenzo_test";
    static char* argv[] = {name, nullptr};
    auto* app = new QApplication(argc, argv);
    // Park the mouse far from every test window so hover checks see it outside.
    QCursor::setPos(5000, 5000);
    return *app;
}

} // namespace cadenzo::test
