#pragma once

// The main window on a recording device and a hand-fired timer, with its settings folder fresh.

#include "app/main_window.h"
#include "files/temp_folder.h"
#include "sound/manual_timer.h"
#include "sound/recording_midi_out.h"
#include "support/test_app.h"

#include <QAction>
#include <QApplication>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace cadenzo::test {

class WindowTest : public ::testing::Test {
protected:
    WindowTest() {
        App(), qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder.path.string()));
        auto out = std::make_unique<RecordingMidiOut>(3); // three devices to choose from
        auto timer = std::make_unique<ManualTimer>();
        recorder = out.get(), clock = timer.get();
        app = std::make_unique<AppContext>(std::move(out), std::move(timer), folder.path);
        NewForm();
    }
    // A new window on the same context (a later run), its boxes caught.
    void NewForm() {
        form = std::make_unique<MainWindow>(*app);
        // Every box shown goes to `warnings`; error boxes also to `errors`.
        form->warn = [this](const QString& t) { warnings << t; };
        form->reportError = [this](const QString& t) { warnings << t, errors << t; };
        form->askToSave = [this](const QString& t) { return questions << t, saveAnswer; };
        form->askToRestore = [this](const QString& t) { return questions << t, restoreAnswer; };
    }
    void TearDown() override {
        if (form->isVisible())
            form->close();
    }
    // A widget, menu or action of the window, found by its objectName.
    template <class T = QWidget> T* child(const char* name) const {
        T* found = form->findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr)
            throw std::runtime_error(std::string("no child named ") + name);
        return found;
    }

    // Gives the menu command and returns the dialog it opened; throws when none opened.
    template <class Dialog> Dialog* open(QAction* command) {
        command->trigger();
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<Dialog*>(window); dialog && dialog->isVisible()) {
                dialog->showMessage = [this](const QString&, const QString& t) { messages << t; };
                EXPECT_TRUE(!form->isEnabled() && dialog->pos() == form->pos() + QPoint(30, 30));
                return dialog;
            }
        throw std::runtime_error("no dialog opened");
    }

    TempFolder folder;
    RecordingMidiOut* recorder = nullptr;
    ManualTimer* clock = nullptr;
    std::unique_ptr<AppContext> app;
    std::unique_ptr<MainWindow> form;
    // Boxes shown; what opened dialogs showed; "Save changes to the song?" and restore offers.
    QStringList warnings, errors, messages, questions;
    MainWindow::SaveChoice saveAnswer = MainWindow::SaveChoice::Discard;
    MainWindow::RestoreChoice restoreAnswer = MainWindow::RestoreChoice::Later;
};

} // namespace cadenzo::test
