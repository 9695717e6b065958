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
        App();
        auto out = std::make_unique<RecordingMidiOut>(3); // three devices to choose from
        recorder = out.get();
        auto timer = std::make_unique<ManualTimer>();
        clock = timer.get();
        app = std::make_unique<AppContext>(std::move(out), std::move(timer), folder.path);
        NewForm();
    }
    // A new window on the same context (a later run), its boxes caught.
    void NewForm() {
        form = std::make_unique<MainWindow>(*app);
        // Every box shown goes to `warnings`; error boxes also to `errors`.
        form->warn = [this](const QString& text) { warnings << text; };
        form->reportError = [this](const QString& text) { warnings << text, errors << text; };
        form->askToSave = [this](const QString& text) { return questions << text, saveAnswer; };
        form->askToRestore = [this](const QString& text) {
            return questions << text, restoreAnswer;
        };
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

    // Gives the menu command and returns the dialog it opened, its messages caught.
    template <class Dialog> Dialog* open(QAction* command) {
        command->trigger();
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<Dialog*>(window); dialog && dialog->isVisible()) {
                dialog->showMessage = [this](const QString&, const QString& t) { messages << t; };
                EXPECT_FALSE(form->isEnabled());
                EXPECT_EQ(dialog->pos(), form->pos() + QPoint(30, 30));
                return dialog;
            }
        ADD_FAILURE() << "no dialog opened";
        return nullptr;
    }

    TempFolder folder;
    RecordingMidiOut* recorder = nullptr;
    ManualTimer* clock = nullptr;
    std::unique_ptr<AppContext> app;
    std::unique_ptr<MainWindow> form;
    QStringList warnings, errors;
    QStringList messages;  // what opened dialogs showed
    QStringList questions; // "Save changes to the song?" and the offer to restore, as asked
    MainWindow::SaveChoice saveAnswer = MainWindow::SaveChoice::Discard;
    MainWindow::RestoreChoice restoreAnswer = MainWindow::RestoreChoice::Later;
};

} // namespace cadenzo::test
