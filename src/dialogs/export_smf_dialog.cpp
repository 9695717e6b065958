#include "dialogs/export_smf_dialog.h"

#include "dialogs/up_down_arrows.h"
#include "state/app_context.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace cadenzo {

namespace {

QLabel* Label(QWidget* parent, const char* text, QRect place) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setGeometry(place);
    return label;
}

template <std::size_t N>
QComboBox* List(QWidget* parent, const char* name, const std::array<const char*, N>& items,
                QRect place) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setGeometry(place);
    for (const char* item : items)
        list->addItem(QString::fromLatin1(item));
    return list;
}

// A number box with its arrows to the right: the arrows write their position into the box, and
// a box that holds an integer moves the arrows there, so a click steps on from what was typed.
QLineEdit* numberBox(QWidget* parent, const char* name, UpDownArrows* arrows, QRect place,
                     int value) {
    auto* box = new QLineEdit(QString::number(value), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(place);
    arrows->setObjectName(QString::fromLatin1(name) + QStringLiteral("UD"));
    arrows->setGeometry(place.right() + 1, place.top(), 17, place.height());
    arrows->setPosition(value);
    QObject::connect(arrows, &UpDownArrows::clicked, box,
                     [box, arrows] { box->setText(QString::number(arrows->position())); });
    QObject::connect(box, &QLineEdit::textEdited, arrows, [arrows](const QString& text) {
        bool ok = false;
        const int typed = text.trimmed().toInt(&ok);
        if (ok)
            arrows->setPosition(std::clamp(typed, arrows->minimum(), arrows->maximum()));
    });
    return box;
}

std::string integer(const QLineEdit* box, const char* what, int& value) {
    return parseSmfInteger(box->text().toStdString(), what, value);
}

} // namespace

ExportSmfDialog::ExportSmfDialog(QWidget* mainWindow, AppContext& app)
    : MainWindowDialog(mainWindow, "Texsmf_form", "Cadenzo -ExportSMF", true), app_(app) {
    setFixedSize(330, 282);
    if (app_.smfFile.empty())
        app_.smfFile = app_.startDir / SMF_DEFAULT_FILE;
    const SmfOptions start = initialSmfOptions(app_.song, app_.midiSetup.midiChannel,
                                               app_.midiSetup.midiProgram, app_.smfFile.string());

    Label(this, "Format", {8, 10, 110, 20});
    formatList_ = List(this, "format", smfFormatItems, {122, 8, 170, 22});
    formatList_->setCurrentIndex(start.format);
    Label(this, "Reset", {8, 38, 110, 20});
    resetList_ = List(this, "init", smfInitItems, {122, 36, 170, 22});
    resetList_->setCurrentIndex(start.init);
    Label(this, "Channel", {8, 66, 110, 20});
    channelArrows_ = new UpDownArrows(1, 16, this);
    channelEdit_ = numberBox(this, "e_channel", channelArrows_, {122, 64, 40, 22}, start.channel);

    programCheck_ = new QCheckBox(QStringLiteral("Program"), this);
    programCheck_->setObjectName(QStringLiteral("c_pc"));
    programCheck_->setGeometry(8, 94, 110, 20);
    programList_ = List(this, "e_pc", smfProgramItems, {122, 92, 170, 22});
    programList_->setCurrentIndex(start.programItem);
    programList_->setEnabled(false);
    connect(programCheck_, &QCheckBox::toggled, programList_, &QWidget::setEnabled);

    volume_ = Controller("c_volume", "e_volume", "Volume (CC7)", start.volume, 120);
    reverb_ = Controller("c_reverb", "e_reverb", "Reverb (CC91)", start.reverb, 148);
    chorus_ = Controller("c_chorus", "e_chorus", "Chorus (CC93)", start.chorus, 176);

    fileNameEdit_ = new QLineEdit(QString::fromStdString(app_.smfFile.string()), this);
    fileNameEdit_->setObjectName(QStringLiteral("filename"));
    fileNameEdit_->setGeometry(8, 212, 282, 22);
    fileNameEdit_->setReadOnly(true);
    refer_ = new QPushButton(QStringLiteral("..."), this);
    refer_->setObjectName(QStringLiteral("refer"));
    refer_->setGeometry(294, 212, 28, 22);
    refer_->setAutoDefault(false);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("ok"));
    ok_->setGeometry(160, 246, 78, 26);
    ok_->setAutoDefault(false);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setGeometry(244, 246, 78, 26);
    cancel_->setAutoDefault(false);

    askFileName = [this](const QString& startName) {
        QFileDialog ask(this, QStringLiteral("Export SMF"), startName,
                        QStringLiteral("SMF file (*.mid)"));
        ask.setAcceptMode(QFileDialog::AcceptSave);
        ask.setDefaultSuffix(QStringLiteral("mid"));
        ask.selectFile(startName);
        return ask.exec() == QDialog::Accepted && !ask.selectedFiles().isEmpty()
                   ? ask.selectedFiles().first()
                   : QString();
    };
    connect(refer_, &QPushButton::clicked, this, [this] { onReferClicked(); });
    connect(ok_, &QPushButton::clicked, this, [this] { onOkClicked(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
}

ExportSmfDialog::ControllerFields ExportSmfDialog::Controller(const char* checkName,
                                                              const char* editName,
                                                              const char* label, int value,
                                                              int top) {
    ControllerFields fields;
    fields.check = new QCheckBox(this);
    fields.check->setObjectName(QString::fromLatin1(checkName));
    fields.check->setGeometry(8, top + 2, 20, 20);
    Label(this, label, {28, top + 2, 92, 20});
    fields.arrows = new UpDownArrows(0, 127, this);
    fields.edit = numberBox(this, editName, fields.arrows, {122, top, 40, 22}, value);
    for (QWidget* field :
         {static_cast<QWidget*>(fields.edit), static_cast<QWidget*>(fields.arrows)}) {
        field->setEnabled(false);
        connect(fields.check, &QCheckBox::toggled, field, &QWidget::setEnabled);
    }
    return fields;
}

std::string ExportSmfDialog::readOptions(SmfOptions& options) const {
    options = initialSmfOptions(app_.song, app_.midiSetup.midiChannel, app_.midiSetup.midiProgram,
                                fileNameEdit_->text().toStdString());
    options.format = formatList_->currentIndex();
    options.init = resetList_->currentIndex();
    options.programItem = programList_->currentIndex();
    std::string problem = integer(channelEdit_, "channel", options.channel);
    options.volumeOn = volume_.check->isChecked();
    options.reverbOn = reverb_.check->isChecked();
    options.chorusOn = chorus_.check->isChecked();
    // An edit of a controller that is not written may hold anything.
    if (problem.empty() && options.volumeOn)
        problem = integer(volume_.edit, "volume", options.volume);
    if (problem.empty() && options.reverbOn)
        problem = integer(reverb_.edit, "reverb", options.reverb);
    if (problem.empty() && options.chorusOn)
        problem = integer(chorus_.edit, "chorus", options.chorus);
    return problem;
}

void ExportSmfDialog::onReferClicked() {
    const QString chosen = askFileName(fileNameEdit_->text());
    if (chosen.isEmpty())
        return;
    app_.smfFile = chosen.toStdString();
    fileNameEdit_->setText(chosen);
}

void ExportSmfDialog::onOkClicked() {
    SmfOptions options;
    std::string problem = readOptions(options);
    if (problem.empty()) {
        const FileResult written = exportSmf(app_.song, app_.guitar.tunings(), app_.tempo, options);
        if (!written)
            problem = written.message;
    }
    if (!problem.empty()) {
        showMessage(QStringLiteral("Error"), QString::fromStdString(problem));
        return;
    }
    accept();
}

} // namespace cadenzo
