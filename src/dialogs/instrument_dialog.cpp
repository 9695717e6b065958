#include "dialogs/instrument_dialog.h"

#include "dialogs/instrument_setup.h"
#include "dialogs/up_down_arrows.h"
#include "state/app_context.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace cadenzo {

namespace {

void Label(QWidget* page, const char* text, QRect place) {
    auto* label = new QLabel(QString::fromLatin1(text), page);
    label->setGeometry(place);
}

QPushButton* OkButton(QWidget* page, const char* name) {
    auto* button = new QPushButton(QStringLiteral("OK"), page);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(172, 176, 84, 26);
    button->setAutoDefault(false);
    return button;
}

// A number or pitch box with its arrows to the right of it.
QLineEdit* Box(QWidget* page, const QString& name, QRect place, UpDownArrows* arrows,
               const QString& arrowsName) {
    auto* box = new QLineEdit(page);
    box->setObjectName(name);
    box->setGeometry(place);
    arrows->setObjectName(arrowsName);
    arrows->setGeometry(place.right() + 1, place.top(), 17, place.height());
    return box;
}

} // namespace

InstrumentDialog::InstrumentDialog(QWidget* mainWindow, AppContext& app, MainWindowHooks hooks)
    : MainWindowDialog(mainWindow, "Tinst_form2", "Cadenzo -Instrument", true), app_(app),
      hooks_(std::move(hooks)), tabs_(new QTabWidget(this)) {
    setFixedSize(280, 250);
    tabs_->setObjectName(QStringLiteral("tabs"));
    tabs_->setGeometry(4, 4, 272, 242);
    createInstrumentPage();
    createTuningPage();
    tabs_->setCurrentIndex(0);

    const DeviceList devices = listOutputDevices(*app_.midiOut);
    for (const std::string& name : devices.names)
        deviceList_->addItem(
            QString::fromLocal8Bit(name.data(), static_cast<qsizetype>(name.size())));
    deviceNames_ = devices.names;
    followDeviceName(deviceNames_, app_.midiSetup);
    deviceList_->setCurrentIndex(app_.midiSetup.midiDevice);
    // The dialog opens all the same; the message follows once it is on the screen.
    if (!devices.error.empty())
        QTimer::singleShot(0, this, [this, text = QString::fromStdString(devices.error)] {
            showMessage(QStringLiteral("Error"), text);
        });

    tuningFill_.setSingleShot(true);
    connect(&tuningFill_, &QTimer::timeout, this, [this] {
        for (int s = 0; s < STRING_COUNT; ++s)
            showString(s, app_.guitar.tuning[s]);
    });
    tuningFill_.start(10);
}

void InstrumentDialog::createInstrumentPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("instrumentPage"));
    tabs_->addTab(page, QStringLiteral("Instrument"));

    Label(page, "Channel", {8, 10, 70, 20});
    channelArrows_ = new UpDownArrows(1, 16, page);
    channelEdit_ = Box(page, QStringLiteral("Channel"), {84, 8, 40, 22}, channelArrows_,
                       QStringLiteral("Channel_udB"));
    Label(page, "Velocity", {8, 40, 70, 20});
    velocityArrows_ = new UpDownArrows(0, 127, page);
    velocityArrows_->setIncrement(10);
    velocityEdit_ = Box(page, QStringLiteral("velocity"), {84, 38, 40, 22}, velocityArrows_,
                        QStringLiteral("Velocity_udB"));
    Label(page, "Instrument", {8, 70, 70, 20});
    programList_ = new QComboBox(page);
    programList_->setObjectName(QStringLiteral("instrument"));
    programList_->setGeometry(84, 68, 172, 22);
    for (const char* item : instrumentItems)
        programList_->addItem(QString::fromLatin1(item));
    Label(page, "MIDI Output Device", {8, 100, 200, 20});
    deviceList_ = new QComboBox(page);
    deviceList_->setObjectName(QStringLiteral("mididev"));
    deviceList_->setGeometry(8, 120, 248, 22);
    instrumentOk_ = OkButton(page, "inst_ok");

    connect(channelEdit_, &QLineEdit::textChanged, this,
            [this] { onNumberEdited(channelEdit_, channelArrows_, 1, 16); });
    connect(velocityEdit_, &QLineEdit::textChanged, this,
            [this] { onNumberEdited(velocityEdit_, velocityArrows_, 0, 127); });
    for (auto [box, arrows] :
         {std::pair{channelEdit_, channelArrows_}, std::pair{velocityEdit_, velocityArrows_}})
        connect(arrows, &UpDownArrows::clicked, box,
                [box, arrows] { box->setText(QString::number(arrows->position())); });
    channelEdit_->setText(QString::number(app_.midiSetup.midiChannel + 1));
    velocityEdit_->setText(QString::number(app_.midiSetup.midiVelocity));

    programList_->setCurrentIndex(app_.midiSetup.midiProgram - FIRST_GUITAR_PROGRAM);
    connect(programList_, &QComboBox::currentIndexChanged, this, [this](int item) {
        if (item >= 0)
            app_.midiSetup.midiProgram = static_cast<std::uint8_t>(item + FIRST_GUITAR_PROGRAM);
    });
    connect(instrumentOk_, &QPushButton::clicked, this, [this] { onInstrumentOkClicked(); });
}

void InstrumentDialog::createTuningPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tuningPage"));
    tabs_->addTab(page, QStringLiteral("Tuning"));

    for (int s = 0; s < STRING_COUNT; ++s) {
        const int x = 8 + 124 * (s / 3);
        const int y = 8 + 30 * (s % 3);
        const QString number = QString::number(s + 1);
        auto* label = new QLabel(number, page);
        label->setGeometry(x, y + 2, 14, 20);
        auto* arrows = new UpDownArrows(0, TUNING_BOX_MAX, page);
        QLineEdit* box = Box(page, QStringLiteral("string") + number, {x + 16, y, 48, 22}, arrows,
                             QStringLiteral("string%1_ud").arg(number));
        box->setReadOnly(true);
        stringBoxes_[static_cast<std::size_t>(s)] = box;
        stringArrows_[static_cast<std::size_t>(s)] = arrows;
        connect(arrows, &UpDownArrows::clicked, this, [this, s] { onStringClicked(s); });
    }
    Label(page, "Tuning Preset", {8, 100, 200, 20});
    presetList_ = new QComboBox(page);
    presetList_->setObjectName(QStringLiteral("tune_kind"));
    presetList_->setGeometry(8, 120, 160, 22);
    for (int item = 0; item < TUNE_KIND_ITEMS; ++item)
        presetList_->addItem(QString::fromLatin1(tuneKindItem(item)));
    presetList_->setCurrentIndex(0);
    tuningOk_ = OkButton(page, "ok");

    connect(presetList_, &QComboBox::activated, this, [this](int item) { onPresetChosen(item); });
    connect(tuningOk_, &QPushButton::clicked, this, [this] { accept(); });
}

void InstrumentDialog::onNumberEdited(QLineEdit* box, UpDownArrows* arrows, int minimum,
                                      int maximum) {
    const CheckedNumber checked = checkNumberText(box->text().toStdString(), minimum, maximum);
    if (checked.changed) {
        box->setText(QString::number(checked.value)); // checked and stored again
        return;
    }
    arrows->setPosition(checked.value);
    const auto value = static_cast<std::uint8_t>(checked.value);
    if (box == channelEdit_)
        app_.midiSetup.midiChannel = static_cast<std::uint8_t>(value - 1);
    else
        app_.midiSetup.midiVelocity = value;
}

void InstrumentDialog::onInstrumentOkClicked() {
    app_.port.close();
    // With no device chosen (the stored one is gone) the stored number stays.
    if (const int item = deviceList_->currentIndex(); item >= 0) {
        app_.midiSetup.midiDevice = static_cast<std::uint8_t>(item);
        app_.midiSetup.midiDeviceName = deviceNames_[static_cast<std::size_t>(item)];
    }
    // Ports may have come or gone while the dialog was open: the chosen name finds its number.
    followDeviceName(listOutputDevices(*app_.midiOut).names, app_.midiSetup);
    if (const MidiStatus result = app_.port.midiOpen(); result != MidiStatus::Ok)
        hooks_.warn(QString::fromStdString(app_.port.midiOpenMessage(result)));
    app_.port.programChange();
    accept();
}

void InstrumentDialog::showString(int s, int value) {
    stringArrows_[static_cast<std::size_t>(s)]->setPosition(value);
    stringBoxes_[static_cast<std::size_t>(s)]->setText(QString::fromStdString(tuningName(value)));
}

void InstrumentDialog::onStringClicked(int s) {
    const int value = stringArrows_[static_cast<std::size_t>(s)]->position();
    showString(s, value);
    app_.guitar.tuning[s] = static_cast<std::uint8_t>(value);
    presetList_->setCurrentIndex(0);
    hooks_.refreshRoll();
}

// The string boxes follow the preset, so that an arrow click starts from what is tuned.
void InstrumentDialog::onPresetChosen(int item) {
    if (!applyTuningPreset(app_.guitar, item))
        return;
    for (int s = 0; s < STRING_COUNT; ++s)
        showString(s, app_.guitar.tuning[s]);
    hooks_.refreshRoll();
}

// The tuning was stored as it changed; the pitches the strings sound follow it however the
// dialog closes.
void InstrumentDialog::closing(int result) {
    (void)result;
    hooks_.refreshRoll();
}

} // namespace cadenzo
