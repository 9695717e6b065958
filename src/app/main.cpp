#include "app/main_window.h"
#include "app/preferences.h"
#include "app/single_instance.h"
#include "app/startup_trace.h"
#include "app/termination_signals.h"
#include "files/recovery.h"
#include "sound/periodic_timer.h"
#include "sound/rtmidi/rtmidi_in.h"
#include "sound/system_midi_out.h"
#include "state/app_context.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QTimer>

namespace {

// A file handed over by a later start is opened once no box of the window waits for an answer
// (a device's warning, a question of the running start-up): the box's own work comes first, and
// the file's load, which may ask about the song in hand, never stacks under it.
void openWhenNoBoxIsOpen(cadenzo::MainWindow& form, const QString& fileName) {
    if (QApplication::activeModalWidget() == nullptr) {
        form.openFileByName(fileName);
        return;
    }
    QTimer::singleShot(100, &form, [&form, fileName] { openWhenNoBoxIsOpen(form, fileName); });
}

} // namespace

int main(int argc, char* argv[]) {
    cadenzo::markStartup("main");
    cadenzo::installTerminationHandlers();
    QApplication application(argc, argv);
    cadenzo::markStartup("application");
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
    // The command line's own bytes: Qt's options were taken out of argv by the application object.
    if (instance.askRunningInstance(argc > 1 ? QByteArray(argv[1]) : QByteArray()))
        return 0;

    cadenzo::AppContext app(
        cadenzo::makeSystemMidiOut(cadenzo::synthesizerPauseSeconds(*cadenzo::openPreferences())),
        std::make_unique<cadenzo::PeriodicTimer>(), QDir::currentPath().toStdString());
    app.recoveryFolder = cadenzo::defaultRecoveryFolder();
    app.midiIn = std::make_unique<cadenzo::RtMidiInput>();
    cadenzo::markStartup("context");
    cadenzo::MainWindow form(app);
    instance.Listen([&form](const QString& fileName) {
        form.setWindowState(form.windowState() & ~Qt::WindowMinimized);
        form.show();
        form.raise();
        form.activateWindow();
        // Not from within the socket's signal: the open may show boxes of its own.
        if (!fileName.isEmpty())
            QTimer::singleShot(0, &form,
                               [&form, fileName] { openWhenNoBoxIsOpen(form, fileName); });
    });
    const QStringList args = QApplication::arguments();
    form.start(args.size() > 1 ? args.at(1) : QString());
    termination.closeWhenReady(form);
    return application.exec();
}
