#include "app/main_window.h"
#include "app/single_instance.h"
#include "app/termination_signals.h"
#include "files/recovery.h"
#include "sound/periodic_timer.h"
#include "sound/system_midi_out.h"
#include "state/app_context.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

int main(int argc, char* argv[]) {
    cadenzo::installTerminationHandlers();
    QApplication application(argc, argv);
    cadenzo::TerminationRequests termination;
    QApplication::setApplicationName(QStringLiteral("Cadenzo"));
    // The installed desktop entry and icon carry this id; the desktop ties the window to them.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.cadenzo.Cadenzo"));
    QIcon bundledIcon;
    for (const char* size : {"32x32", "256x256"})
        bundledIcon.addFile(QStringLiteral(":/icons/%1/org.cadenzo.Cadenzo.png").arg(size));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("org.cadenzo.Cadenzo"), bundledIcon));

    cadenzo::SingleInstance instance;
    if (instance.askRunningInstance())
        return 0;

    cadenzo::AppContext app(cadenzo::makeSystemMidiOut(),
                            std::make_unique<cadenzo::PeriodicTimer>(),
                            QDir::currentPath().toStdString());
    app.recoveryFolder = cadenzo::defaultRecoveryFolder();
    cadenzo::MainWindow form(app);
    instance.Listen([&form] {
        form.setWindowState(form.windowState() & ~Qt::WindowMinimized);
        form.show();
        form.raise();
        form.activateWindow();
    });
    const QStringList args = QApplication::arguments();
    form.start(args.size() > 1 ? args.at(1) : QString());
    termination.closeWhenReady(form);
    return application.exec();
}
