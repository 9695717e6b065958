#include "dialogs/register_chord_dialog.h"

#include "dialogs/up_down_arrows.h"
#include "model/user_chord_editing.h"
#include "state/app_context.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace cadenzo {

RegisterChordDialog::RegisterChordDialog(QWidget* mainWindow, AppContext& app,
                                         MainWindowHooks hooks)
    : MainWindowDialog(mainWindow, "TCResist_form", "Cadenzo -Resist Chord", true), app_(app),
      hooks_(std::move(hooks)), nameLabel_(new QLabel(QStringLiteral("Input Chord name"), this)),
      nameEdit_(new QLineEdit(this)), keyLetterBox_(new QLineEdit(this)),
      keyLetterArrows_(new UpDownArrows(0, KEY_LETTER_MAX, this)),
      registerButton_(new QPushButton(QStringLiteral("Resist"), this)) {
    setFixedSize(196, 92);
    nameLabel_->setObjectName(QStringLiteral("label1"));
    nameLabel_->setGeometry(8, 6, 150, 18);
    nameEdit_->setObjectName(QStringLiteral("Edit1"));
    nameEdit_->setGeometry(8, 26, 122, 22);
    limitChordNameField(nameEdit_);
    keyLetterBox_->setObjectName(QStringLiteral("Edit2"));
    keyLetterBox_->setGeometry(138, 26, 28, 22);
    keyLetterBox_->setReadOnly(true);
    keyLetterBox_->setAlignment(Qt::AlignCenter);
    keyLetterBox_->setFocusPolicy(Qt::NoFocus);
    keyLetterArrows_->setObjectName(QStringLiteral("UpDown1"));
    keyLetterArrows_->setGeometry(166, 26, 18, 22);
    registerButton_->setObjectName(QStringLiteral("Resist"));
    registerButton_->setGeometry(8, 58, 80, 26);
    registerButton_->setAutoDefault(false);

    connect(keyLetterArrows_, &UpDownArrows::clicked, this,
            [this](int direction) { onKeyLetterClicked(direction); });
    connect(registerButton_, &QPushButton::clicked, this, [this] { onRegisterClicked(); });
    connect(&refreshTimer_, &QTimer::timeout, this, [this] {
        const QString letter = QString::fromStdString(keyLetterText(keyLetterArrows_->position()));
        if (keyLetterBox_->text() != letter)
            keyLetterBox_->setText(letter);
    });
    refreshTimer_.start(10);
}

void RegisterChordDialog::onKeyLetterClicked(int direction) {
    keyLetterArrows_->setPosition(
        skipKeyLetterOnce(app_.userChords.userChordKey, keyLetterArrows_->position(), direction));
}

void RegisterChordDialog::onRegisterClicked() {
    const QByteArray name = nameEdit_->text().toLocal8Bit();
    const std::string_view bytes(name.constData(), static_cast<std::size_t>(name.size()));
    if (const char* refusal = registerRefusal(app_.userChords, bytes)) {
        showMessage(QStringLiteral("Cadenzo"), QString::fromLatin1(refusal));
        return;
    }
    const int slot = registerUserChord(app_.userChords, bytes,
                                       static_cast<std::uint8_t>(keyLetterArrows_->position()),
                                       app_.guitar.currentFrets());
    hooks_.addUserChordItem(slot);
    // Chord recognition and matching run once the dialog is gone; the match selects the new
    // chord in usr, as it is the last whose frets are those on the fretboard.
    afterClose = hooks_.recognizeAndMatch;
    accept();
}

} // namespace cadenzo
