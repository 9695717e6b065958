#include "dialogs/edit_chords_dialog.h"

#include "dialogs/up_down_arrows.h"
#include "state/app_context.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace cadenzo {

namespace {

QString fromBytes(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, QRect place) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(place);
    button->setAutoDefault(false);
    return button;
}

} // namespace

EditChordsDialog::EditChordsDialog(QWidget* mainWindow, AppContext& app, MainWindowHooks hooks)
    : MainWindowDialog(mainWindow, "TCEdit_form", "Cadenzo -Edit User Chord", false), app_(app),
      hooks_(std::move(hooks)), before_(FretboardSnapshot::take(app.guitar, hooks_.chordShown())),
      editing_(app.userChords), chordList_(new QListWidget(this)), nameEdit_(new QLineEdit(this)),
      keyLetterBox_(new QLineEdit(this)),
      keyLetterArrows_(new UpDownArrows(0, KEY_LETTER_MAX, this)),
      acceptButton_(Button(this, "accept", "<< Accept", {148, 64, 104, 26})),
      deleteButton_(Button(this, "Delete", "Delete", {148, 128, 104, 26})),
      okButton_(Button(this, "OK", "OK", {148, 164, 104, 26})) {
    setFixedSize(260, 198);
    chordList_->setObjectName(QStringLiteral("chordbox"));
    chordList_->setGeometry(8, 8, 132, 182);
    for (int j = 0; j < editing_.lineCount(); ++j)
        chordList_->addItem(fromBytes(editing_.line(j)));
    nameEdit_->setObjectName(QStringLiteral("Edit1"));
    nameEdit_->setGeometry(148, 8, 104, 22);
    limitChordNameField(nameEdit_);
    keyLetterBox_->setObjectName(QStringLiteral("Edit2"));
    keyLetterBox_->setGeometry(148, 36, 28, 22);
    keyLetterBox_->setReadOnly(true);
    keyLetterBox_->setAlignment(Qt::AlignCenter);
    keyLetterBox_->setFocusPolicy(Qt::NoFocus);
    keyLetterArrows_->setObjectName(QStringLiteral("UpDown1"));
    keyLetterArrows_->setGeometry(176, 36, 18, 22);
    // The list would choose its first line on taking the focus, previewing a chord unasked.
    nameEdit_->setFocus();

    connect(chordList_, &QListWidget::currentRowChanged, this,
            [this](int line) { onLineSelected(line); });
    connect(chordList_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { onLineSelected(chordList_->row(item)); });
    connect(keyLetterArrows_, &UpDownArrows::clicked, this,
            [this](int direction) { onKeyLetterClicked(direction); });
    connect(acceptButton_, &QPushButton::clicked, this, [this] { onAcceptClicked(); });
    connect(deleteButton_, &QPushButton::clicked, this, [this] { onDeleteClicked(); });
    connect(okButton_, &QPushButton::clicked, this, [this] { onOkClicked(); });
    connect(&refreshTimer_, &QTimer::timeout, this, [this] {
        if (chordList_->currentRow() < 0)
            return;
        const QString letter = QString::fromStdString(keyLetterText(keyLetterArrows_->position()));
        if (keyLetterBox_->text() != letter)
            keyLetterBox_->setText(letter);
    });
    refreshTimer_.start(5);
}

void EditChordsDialog::onLineSelected(int line) {
    if (!editing_.select(line))
        return;
    editing_.previewOn(app_.guitar);
    hooks_.recognizeAndMatch();
    hooks_.drawNeck();
    nameEdit_->setText(fromBytes(editing_.selectedName()));
    keyLetterArrows_->setPosition(editing_.selectedKey());
    keyLetterBox_->setText(QString::fromStdString(keyLetterText(editing_.selectedKey())));
}

void EditChordsDialog::onKeyLetterClicked(int direction) {
    keyLetterArrows_->setPosition(editing_.skipKeyLetter(keyLetterArrows_->position(), direction,
                                                         keyLetterArrows_->previousPosition()));
}

void EditChordsDialog::onAcceptClicked() {
    const QByteArray name = nameEdit_->text().toLocal8Bit();
    bool stored = false;
    const char* refusal =
        editing_.Accept(std::string_view(name.constData(), static_cast<std::size_t>(name.size())),
                        keyLetterArrows_->position(), stored);
    if (refusal != nullptr) {
        showMessage(QStringLiteral("Cadenzo"), QString::fromLatin1(refusal));
        return;
    }
    if (!stored)
        return;
    chordList_->item(editing_.selected())->setText(fromBytes(editing_.line(editing_.selected())));
    clearFields();
}

void EditChordsDialog::onDeleteClicked() {
    if (!editing_.Delete())
        return;
    chordList_->item(editing_.selected())->setText(QString());
    clearFields();
}

void EditChordsDialog::onOkClicked() {
    editing_.apply();
    hooks_.rebuildUserChords();
    afterClose = [this] {
        hooks_.drawNeck();
        hooks_.recognizeAndMatch();
    };
    accept();
}

void EditChordsDialog::closing(int result) {
    hooks_.showChords(before_.restoreOn(app_.guitar));
    if (result == QDialog::Accepted)
        return;
    // The preview left usr on the chord it showed. Left there, the next key typed in the main
    // window would put that chord back on the fretboard in place of the one just restored.
    afterClose = [this] {
        hooks_.drawNeck();
        hooks_.matchUserChord();
    };
}

void EditChordsDialog::clearFields() {
    nameEdit_->clear();
    keyLetterBox_->clear();
}

} // namespace cadenzo
