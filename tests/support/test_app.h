#pragma once

#include <QApplication>

namespace cadenzo::test {

// The one QApplication of a widget test program, on the offscreen platform. It is left alive
// until the process ends: destroying it from exit handlers, after the test framework's statics
// are gone, crashes inside Qt.
inline QApplication& App() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *existing;
    static int argc = 1;
    static char name[] = "cadenzo_test";
    static char* argv[] = {name, nullptr};
    return *new QApplication(argc, argv);
}

} // namespace cadenzo::test
