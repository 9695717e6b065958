#pragma once

#include "dialogs/main_window_dialog.h"
#include "dialogs/main_window_hooks.h"
#include "model/user_chord_editing.h"

#include <QTimer>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace cadenzo {

struct AppContext;
class UpDownArrows;

// Renames, re-keys and removes user chords, showing each chosen chord on the fretboard. Names
// accepted with "<< Accept" stay even when the dialog is then closed by its close box; key
// letters and removals take effect through OK only. Every way out puts the fretboard back as it
// was.
class EditChordsDialog : public MainWindowDialog {
    Q_OBJECT

public:
    EditChordsDialog(QWidget* mainWindow, AppContext& app, MainWindowHooks hooks);

    QListWidget* chordList() const { return chordList_; }
    QLineEdit* nameEdit() const { return nameEdit_; }
    QLineEdit* keyLetterBox() const { return keyLetterBox_; }
    UpDownArrows* keyLetterArrows() const { return keyLetterArrows_; }
    QPushButton* acceptButton() const { return acceptButton_; }
    QPushButton* deleteButton() const { return deleteButton_; }
    QPushButton* okButton() const { return okButton_; }

protected:
    void closing(int result) override;

private:
    void onLineSelected(int line);
    void onKeyLetterClicked(int direction);
    void onAcceptClicked();
    void onDeleteClicked();
    void onOkClicked();
    void clearFields();

    AppContext& app_;
    MainWindowHooks hooks_;
    const FretboardSnapshot before_;
    UserChordEditing editing_;
    QListWidget* chordList_;
    QLineEdit* nameEdit_;
    QLineEdit* keyLetterBox_;
    UpDownArrows* keyLetterArrows_;
    QPushButton* acceptButton_;
    QPushButton* deleteButton_;
    QPushButton* okButton_;
    // The key letter box follows the spinner every 5 ms while a line is selected.
    QTimer refreshTimer_;
};

} // namespace cadenzo
