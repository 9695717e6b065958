#pragma once

#include "dialogs/main_window_dialog.h"
#include "dialogs/main_window_hooks.h"
#include "model/guitar.h"

#include <QTimer>

#include <array>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace cadenzo {

struct AppContext;
class UpDownArrows;

// The MIDI setup and the tuning. Channel, velocity, instrument and tuning are stored as soon as
// they change; the output device is taken, and the instrument sent as a program change, when the
// Instrument tab's OK reopens the port.
class InstrumentDialog : public MainWindowDialog {
    Q_OBJECT

public:
    InstrumentDialog(QWidget* mainWindow, AppContext& app, MainWindowHooks hooks);

    QTabWidget* tabs() const { return tabs_; }
    QLineEdit* channelEdit() const { return channelEdit_; }
    UpDownArrows* channelArrows() const { return channelArrows_; }
    QLineEdit* velocityEdit() const { return velocityEdit_; }
    UpDownArrows* velocityArrows() const { return velocityArrows_; }
    QComboBox* programList() const { return programList_; }
    QComboBox* deviceList() const { return deviceList_; }
    QPushButton* instrumentOkButton() const { return instrumentOk_; }
    QLineEdit* stringBox(int s) const { return stringBoxes_[static_cast<std::size_t>(s)]; }
    UpDownArrows* stringArrows(int s) const { return stringArrows_[static_cast<std::size_t>(s)]; }
    QComboBox* presetList() const { return presetList_; }
    QPushButton* tuningOkButton() const { return tuningOk_; }

protected:
    void closing(int result) override;

private:
    void createInstrumentPage();
    void createTuningPage();
    // The channel and velocity boxes: corrected to their limits on every change, then stored.
    void onNumberEdited(QLineEdit* box, UpDownArrows* arrows, int minimum, int maximum);
    void onInstrumentOkClicked();
    void onStringClicked(int s);
    void onPresetChosen(int item);
    void showString(int s, int value);

    AppContext& app_;
    MainWindowHooks hooks_;
    QTabWidget* tabs_;
    QLineEdit* channelEdit_ = nullptr;
    UpDownArrows* channelArrows_ = nullptr;
    QLineEdit* velocityEdit_ = nullptr;
    UpDownArrows* velocityArrows_ = nullptr;
    QComboBox* programList_ = nullptr;
    QComboBox* deviceList_ = nullptr;
    std::vector<std::string> deviceNames_; // as listed when the dialog opened
    QPushButton* instrumentOk_ = nullptr;
    std::array<QLineEdit*, STRING_COUNT> stringBoxes_{};
    std::array<UpDownArrows*, STRING_COUNT> stringArrows_{};
    QComboBox* presetList_ = nullptr;
    QPushButton* tuningOk_ = nullptr;
    // Fills the string boxes from the tuning 10 ms after the dialog is made.
    QTimer tuningFill_;
};

} // namespace cadenzo
