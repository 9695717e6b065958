#pragma once

#include "dialogs/main_window_dialog.h"
#include "files/smf_export.h"

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace cadenzo {

struct AppContext;
class UpDownArrows;

// Collects the export options and writes the song as a Standard MIDI File through the same
// export as the command-line tool. A failed export says why in a message box and leaves the
// dialog open with every choice as it was; a successful one closes it.
class ExportSmfDialog : public MainWindowDialog {
    Q_OBJECT

public:
    ExportSmfDialog(QWidget* mainWindow, AppContext& app);

    // The options the controls show now, or "" replaced by the reason they cannot be used.
    std::string readOptions(SmfOptions& options) const;

    // Asks for the file to write, starting at the given name; "" when the user cancels. Tests
    // replace it.
    std::function<QString(const QString& start)> askFileName;

    // A controller's check box, edit and arrows.
    struct ControllerFields {
        QCheckBox* check = nullptr;
        QLineEdit* edit = nullptr;
        UpDownArrows* arrows = nullptr;
    };

    QComboBox* formatList() const { return formatList_; }
    QComboBox* resetList() const { return resetList_; }
    QLineEdit* channelEdit() const { return channelEdit_; }
    UpDownArrows* channelArrows() const { return channelArrows_; }
    QCheckBox* programCheck() const { return programCheck_; }
    QComboBox* programList() const { return programList_; }
    const ControllerFields& volume() const { return volume_; }
    const ControllerFields& reverb() const { return reverb_; }
    const ControllerFields& chorus() const { return chorus_; }
    QLineEdit* fileNameEdit() const { return fileNameEdit_; }
    QPushButton* referButton() const { return refer_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    ControllerFields Controller(const char* checkName, const char* editName, const char* label,
                                int value, int top);
    void onReferClicked();
    void onOkClicked();

    AppContext& app_;
    QComboBox* formatList_;
    QComboBox* resetList_;
    QLineEdit* channelEdit_;
    UpDownArrows* channelArrows_;
    QCheckBox* programCheck_;
    QComboBox* programList_;
    ControllerFields volume_;
    ControllerFields reverb_;
    ControllerFields chorus_;
    QLineEdit* fileNameEdit_;
    QPushButton* refer_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

} // namespace cadenzo
