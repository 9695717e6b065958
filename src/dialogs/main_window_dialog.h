#pragma once

#include <QDialog>
#include <QPointer>

#include <functional>

class QLineEdit;

namespace cadenzo {

// A dialog that a menu command of the main window opens: created anew each time, modeless, and
// the main window is disabled until it closes, whichever way it closes (its buttons, the close
// box, Escape). It is a window of its own that stays above the main window rather than a child
// widget, since a child would be disabled along with the main window.
// Both chord dialogs' name field: at most 12 characters, and no control characters, which would
// break the one-value-per-line chord files.
void limitChordNameField(QLineEdit* field);

class MainWindowDialog : public QDialog {
    Q_OBJECT

public:
    MainWindowDialog(QWidget* mainWindow, const char* objectName, const char* caption,
                     bool stayOnTop);

    // Disables the main window and shows the dialog 30 pixels right of and below the main
    // window's top-left corner.
    void openOver();

    // How a message reaches the user: a box with one OK button. Tests replace it to read it.
    std::function<void(const QString& title, const QString& text)> showMessage;

    void done(int result) override;

protected:
    // The dialog's own last work, while the main window is still disabled.
    virtual void closing(int result) { (void)result; }
    // Runs after the dialog has closed and the main window is enabled again.
    std::function<void()> afterClose;
    QWidget* mainWindow() const { return mainWindow_; }

private:
    QPointer<QWidget> mainWindow_;
    bool closed_ = false;
};

} // namespace cadenzo
