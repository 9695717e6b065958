#pragma once

#include "dialogs/main_window_dialog.h"
#include "dialogs/main_window_hooks.h"

#include <QTimer>

class QLabel;
class QLineEdit;
class QPushButton;

namespace cadenzo {

struct AppContext;
class UpDownArrows;

// Registers the chord now on the fretboard as a user chord, under a name and an optional key
// letter.
class RegisterChordDialog : public MainWindowDialog {
    Q_OBJECT

public:
    RegisterChordDialog(QWidget* mainWindow, AppContext& app, MainWindowHooks hooks);

    QLabel* nameLabel() const { return nameLabel_; }
    QLineEdit* nameEdit() const { return nameEdit_; }
    QLineEdit* keyLetterBox() const { return keyLetterBox_; }
    UpDownArrows* keyLetterArrows() const { return keyLetterArrows_; }
    QPushButton* registerButton() const { return registerButton_; }

private:
    void onKeyLetterClicked(int direction);
    void onRegisterClicked();

    AppContext& app_;
    MainWindowHooks hooks_;
    QLabel* nameLabel_;
    QLineEdit* nameEdit_;
    QLineEdit* keyLetterBox_;
    UpDownArrows* keyLetterArrows_;
    QPushButton* registerButton_;
    // The key letter box follows the spinner every 10 ms.
    QTimer refreshTimer_;
};

} // namespace cadenzo
