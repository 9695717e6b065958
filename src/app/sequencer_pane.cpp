// The sequencer pane: layout, the view's scroll bar and zoom, the property fields, time signature,
// grid and step, and the editing commands of the buttons and the Edit menu.
#include "app/sequencer_pane.h"

#include "controls/qt_color.h"
#include "controls/shadow_label.h"
#include "controls/shine_speed_button.h"
#include "seq/seq_geometry.h"
#include "seq/undo.h"
#include "views/sequence_view.h"

#include <QAction>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <mutex>

namespace cadenzo {

namespace {

// Local coordinates of the pane's rows.
constexpr int VIEW_TOP = 4;
constexpr int BAR_TOP = VIEW_TOP + SEQ_HEIGHT + 3;
constexpr int LABEL_ROW = BAR_TOP + 22;
constexpr int FIELD_ROW = LABEL_ROW + 16;
constexpr int BUTTON_ROW = FIELD_ROW + 27;
constexpr int PANE_HEIGHT = BUTTON_ROW + 28;

QToolButton* arrowButton(QWidget* parent, Qt::ArrowType arrow) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// An up-down control: two arrow buttons side by side or one over the other.
QWidget* UpDown(QWidget* parent, const char* name, bool horizontal, QToolButton*& up,
                QToolButton*& down) {
    auto* box = new QWidget(parent);
    box->setObjectName(QString::fromLatin1(name));
    up = arrowButton(box, horizontal ? Qt::RightArrow : Qt::UpArrow);
    down = arrowButton(box, horizontal ? Qt::LeftArrow : Qt::DownArrow);
    up->setObjectName(QString::fromLatin1(name) + QStringLiteral("_up"));
    down->setObjectName(QString::fromLatin1(name) + QStringLiteral("_down"));
    return box;
}

void placeUpDown(QWidget* box, int x, int y, int w, int h, bool horizontal) {
    box->setGeometry(x, y, w, h);
    const auto buttons = box->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly);
    QToolButton* up = buttons.value(0);
    QToolButton* down = buttons.value(1);
    if (horizontal) {
        down->setGeometry(0, 0, w / 2, h);
        up->setGeometry(w / 2, 0, w - w / 2, h);
    } else {
        up->setGeometry(0, 0, w, h / 2);
        down->setGeometry(0, h / 2, w, h - h / 2);
    }
}

} // namespace

SequencerPane::SequencerPane(AppContext& app, QLabel* const (&statusPanels)[4],
                             ShadowLabel* sigLabel, Hooks hooks, QWidget* parent)
    : QWidget(parent), app_(app), statusPanels_(statusPanels), sigLabel_(sigLabel),
      hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("sequencerPane"));
    createViewControls();
    createMeterControls();
    createFieldControls();
    createTransportControls();
    createPracticeControls();
    layoutForWidth(windowWidth_);
}

SequencerPane::~SequencerPane() {
    app_.playback.setListener(nullptr);
}

ShineSpeedButton* SequencerPane::makeButton(const char* name, const char* caption,
                                            const char* hint) {
    auto* button = new ShineSpeedButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setCaption(QString::fromUtf8(caption));
    button->setToolTip(QString::fromUtf8(hint));
    return button;
}

ShadowLabel* SequencerPane::makeLabel(const char* name, const QString& caption) {
    auto* label = new ShadowLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    label->setCaption(caption);
    label->setTransparent(true);
    return label;
}

void SequencerPane::createViewControls() {
    view_ = new SequenceView(app_.song, app_.history, app_.eventFields, app_.seqMouse, this);
    view_->setToolTip(QStringLiteral("Sequence Area"));
    connect(view_, &SequenceView::mouseEdited, this,
            [this](const MouseResult& result) { applyMouseResult(result); });
    connect(view_, &SequenceView::doubleClicked, this, [this](int, int) { sendToFretboard(); });

    seqBar_ = new QScrollBar(Qt::Horizontal, this);
    seqBar_->setObjectName(QStringLiteral("seqBar"));
    seqBar_->setRange(0, SEQ_BAR_INITIAL_MAX);
    seqBar_->setPageStep(1);
    connect(seqBar_, &QScrollBar::valueChanged, this, [this](int value) { onScroll(value); });
    view_->setScrollMaximum(SEQ_BAR_INITIAL_MAX);

    QToolButton* wider = nullptr;
    QToolButton* narrower = nullptr;
    zoomUpDown_ = UpDown(this, "seq_Grid", true, wider, narrower);
    zoomUpDown_->setToolTip(QStringLiteral("WidthChange"));
    connect(wider, &QToolButton::clicked, this, [this] { onZoomStep(+1); });
    connect(narrower, &QToolButton::clicked, this, [this] { onZoomStep(-1); });

    laneChoice_ = new QComboBox(this);
    laneChoice_->setObjectName(QStringLiteral("seqData"));
    laneChoice_->addItems({QStringLiteral("Velocity"), QStringLiteral("Stroke")});
    connect(laneChoice_, &QComboBox::currentIndexChanged, this, [this](int index) {
        view_->setLane(index == 1 ? SeqLane::Stroke : SeqLane::Velocity);
    });
}

void SequencerPane::createMeterControls() {
    sigLabel_->setParent(this);
    sigLabel_->setCaption(QStringLiteral("TimeSig. n/m"));
    sigLabel_->show();
    sigNumerator_ = new QComboBox(this);
    sigNumerator_->setObjectName(QStringLiteral("hyoshi1"));
    sigNumerator_->setToolTip(QStringLiteral("TimeSignature(Up)"));
    for (const char* item : HYOSHI1_ITEMS)
        sigNumerator_->addItem(QString::fromLatin1(item));
    sigNumerator_->setCurrentIndex(HYOSHI1_START_ITEM);
    sigDenominator_ = new QComboBox(this);
    sigDenominator_->setObjectName(QStringLiteral("hyoshi2"));
    sigDenominator_->setToolTip(QStringLiteral("TimeSignature(Down)"));
    for (const char* item : HYOSHI2_ITEMS)
        sigDenominator_->addItem(QString::fromLatin1(item));
    sigDenominator_->setCurrentIndex(HYOSHI2_START_ITEM);
    for (QComboBox* combo : {sigNumerator_, sigDenominator_})
        connect(combo, &QComboBox::activated, this, [this] { onSignatureChanged(); });

    gridLabel_ = makeLabel("l_grid", QString::fromStdString(gridCaption(0)));
    gridLabel_->setToolTip(QStringLiteral("Grid Change"));
    stepLabel_ = makeLabel("l_step", QString::fromStdString(stepCaption(3)));
    stepLabel_->setToolTip(QStringLiteral("Step Change"));
    for (ShadowLabel* label : {gridLabel_, stepLabel_}) {
        label->setTransparent(false);
        label->installEventFilter(this);
    }
    gridStepMenu_ = new QMenu(this);
    gridStepMenu_->setObjectName(QStringLiteral("popUpMemu"));
    for (int i = 0; i < STEP_CHOICES; ++i) {
        gridStepItems_[i] = gridStepMenu_->addAction(QString());
        gridStepItems_[i]->setObjectName(QStringLiteral("pop%1").arg(i + 1));
        connect(gridStepItems_[i], &QAction::triggered, this, [this, i] { choosePopupItem(i); });
    }
}

void SequencerPane::createFieldControls() {
    const char* names[3][3] = {{"e_vel", "e_velUD", "l_vel"},
                               {"e_gate", "e_gateUD", "l_gate"},
                               {"e_stroke", "e_strokeUD", "l_stroke"}};
    const char* captions[3] = {"Velocity", "Gate", "StrokeTime"};
    for (int i = 0; i < 3; ++i) {
        FieldControls& f = fields_[i];
        f.edit = new QLineEdit(this);
        f.edit->setObjectName(QString::fromLatin1(names[i][0]));
        f.upDown = UpDown(this, names[i][1], false, f.up, f.down);
        f.label = makeLabel(names[i][2], QString::fromLatin1(captions[i]));
        // A value typed is applied when the field loses the focus; Enter moves the focus on.
        f.edit->installEventFilter(this);
        const FieldId id = f.id;
        connect(f.edit, &QLineEdit::textEdited, this, [this, id](const QString& text) {
            app_.eventFields.Field(id).Type(text.toStdString());
        });
        connect(f.up, &QToolButton::clicked, this, [this, id] { fieldStep(id, +1); });
        connect(f.down, &QToolButton::clicked, this, [this, id] { fieldStep(id, -1); });
    }
    fields_[1].edit->setAttribute(Qt::WA_InputMethodEnabled, false);

    setButton_ = makeButton("SeqSetBtn", "Set", "Enter the chord at the cursor");
    toNeckButton_ =
        makeButton("seqToNeckBtn", "To Neck", "Put the chord at the cursor on the neck");
    eraseButton_ = makeButton("seqEraseBtn", "Erase", "Delete the selected chords");
    connect(setButton_, &ShineSpeedButton::clicked, this, [this] { enterChord(); });
    connect(toNeckButton_, &ShineSpeedButton::clicked, this, [this] { sendToFretboard(); });
    connect(eraseButton_, &ShineSpeedButton::clicked, this, [this] { deleteSelection(); });
    showFields();
}

void SequencerPane::layoutForWidth(int windowWidth) {
    windowWidth_ = windowWidth;
    const int w = windowWidth;
    setGeometry(0, 212, w, PANE_HEIGHT);
    const int viewWidth = seqWidthForWindow(w);
    view_->setGeometry(4, VIEW_TOP, viewWidth, SEQ_HEIGHT);
    // The view writes the width itself when it is resized; written here too so that the play
    // line's page rule sees it before the first resize event arrives.
    app_.song.edit.seqWidth = viewWidth;
    seqBar_->setGeometry(4, BAR_TOP, w - 207, 17);
    {
        const QSignalBlocker quiet(seqBar_);
        seqBar_->setMaximum(SEQ_BAR_MAX);
    }
    view_->setScrollMaximum(SEQ_BAR_MAX);
    placeUpDown(zoomUpDown_, w - 200, BAR_TOP, 34, 17, true);
    laneChoice_->setGeometry(w - 164, BAR_TOP - 2, 70, 21);

    sigLabel_->setGeometry(4, LABEL_ROW, 84, 14);
    sigNumerator_->setGeometry(4, FIELD_ROW, 42, 22);
    sigDenominator_->setGeometry(48, FIELD_ROW, 42, 22);
    gridLabel_->setGeometry(96, LABEL_ROW + 2, 70, 16);
    stepLabel_->setGeometry(96, FIELD_ROW + 6, 70, 16);
    const int fieldLeft[3] = {172, 236, 306};
    const int fieldWidth[3] = {34, 46, 46};
    for (int i = 0; i < 3; ++i) {
        FieldControls& f = fields_[i];
        // A label reaches up to the next field.
        const int labelWidth = i < 2 ? fieldLeft[i + 1] - fieldLeft[i] : fieldWidth[i] + 30;
        f.label->setGeometry(fieldLeft[i], LABEL_ROW, labelWidth, 14);
        f.edit->setGeometry(fieldLeft[i], FIELD_ROW, fieldWidth[i], 22);
        placeUpDown(f.upDown, fieldLeft[i] + fieldWidth[i], FIELD_ROW, 14, 22, false);
    }
    setButton_->setGeometry(172, BUTTON_ROW, 56, 24);
    toNeckButton_->setGeometry(236, BUTTON_ROW, 62, 24);
    eraseButton_->setGeometry(306, BUTTON_ROW, 60, 24);

    const int right = w - 87;
    backToTopButton_->setGeometry(right, VIEW_TOP, 40, 24);
    stopButton_->setGeometry(right + 42, VIEW_TOP, 40, 24);
    for (ShineSpeedButton* b : {playButton_, playingButton_, pausedButton_})
        b->setGeometry(right, VIEW_TOP + 28, 82, 30);
    tempoLabel_->setGeometry(right, VIEW_TOP + 64, 82, 14);
    tempoEdit_->setGeometry(right, VIEW_TOP + 80, 44, 22);
    placeUpDown(tempoUpDown_, right + 44, VIEW_TOP + 80, 14, 22, false);
    layoutPracticeControls(right);
    view_->redrawAll();
}

void SequencerPane::songReplaced(bool loaded) {
    {
        const QSignalBlocker quiet(tempoEdit_);
        tempoEdit_->setText(QString::fromStdString(app_.tempo));
    }
    int tempo = 0;
    if (PlaybackEngine::parseTempo(app_.tempo, tempo))
        tempoPosition_ = tempo;
    if (loaded) {
        updateEventFields(app_.eventFields, app_.song, 0, 0);
        showFields();
    } else {
        refreshFields();
    }
    showScrollPosition();
}

int SequencerPane::scrollMaximum() const {
    return seqBar_->maximum();
}

TransferContext SequencerPane::transferContext() const {
    const ChordSelection chord = hooks_.chordShown();
    return {chord.chord1, chord.chord2, windowWidth_, scrollMaximum()};
}

// ---- The view's scroll bar and zoom -----------------------------------------------------------

void SequencerPane::onScroll(int position) {
    app_.song.scrollView(position);
    view_->redrawAll();
}

void SequencerPane::showScrollPosition() {
    {
        const QSignalBlocker quiet(seqBar_);
        seqBar_->setValue(app_.song.edit.viewBar);
    }
    // A bar the scroll bar cannot show (a view moved past its range) comes back within it.
    if (seqBar_->value() != app_.song.edit.viewBar)
        app_.song.scrollView(seqBar_->value());
    view_->redrawAll();
}

void SequencerPane::onZoomStep(int delta) {
    setZoom(app_.song.edit, app_.song.edit.zoom + delta);
    view_->redrawAll();
}

void SequencerPane::applyColorScheme(bool gradation, PackedColor fontColor, PackedColor buttonTop,
                                     PackedColor buttonBtm) {
    for (ShineSpeedButton* b : {setButton_, toNeckButton_, eraseButton_, playingButton_,
                                playButton_, pausedButton_, stopButton_, backToTopButton_}) {
        for (ShineButtonColors* set : {&b->colors(), &b->pressedColors()}) {
            if (b != backToTopButton_) // the back-to-top button keeps its own gradation
                set->setGradation(gradation);
            set->setGradVertical(true);
            set->setGradColor(buttonBtm);
            set->setColor(buttonTop);
        }
    }
    for (ShadowLabel* label : {gridLabel_, stepLabel_})
        label->setColor(buttonBtm);
    for (ShadowLabel* label : {fields_[0].label, fields_[1].label, fields_[2].label, sigLabel_,
                               gridLabel_, stepLabel_, tempoLabel_})
        label->setFontColor(fontColor);
    const QColor field = toQColor(buttonBtm, palette());
    const QColor text = toQColor(fontColor, palette());
    applyFieldColors({sigNumerator_, sigDenominator_, laneChoice_, tempoEdit_, fields_[0].edit,
                      fields_[1].edit, fields_[2].edit},
                     field, text);
}

// ---- Results of the core's commands -----------------------------------------------------------

void SequencerPane::applyEditResult(const EditResult& result) {
    if (result.status != nullptr)
        statusPanels_[3]->setText(QString::fromLatin1(result.status));
    if (result.refreshFields)
        refreshFields();
    if (result.scrolled)
        showScrollPosition();
    else if (result.eventsChanged)
        view_->redrawLaneAndEvents();
    if (result.fretboardChanged)
        hooks_.fretboardChanged();
    if (result.eventsChanged)
        app_.playback.requestRedraw();
}

void SequencerPane::applyMouseResult(const MouseResult& result) {
    if (result.fieldsChanged)
        showFields();
    if (result.scrolled)
        seqBar_->setValue(app_.song.edit.viewBar); // its change handler redraws the view
    if (result.locate)
        app_.playback.locateTo(*result.locate);
    if (result.panel0)
        statusPanels_[0]->setText(QString::fromStdString(*result.panel0));
    if (result.panel1)
        statusPanels_[1]->setText(QString::fromStdString(*result.panel1));
    if (result.playRedraw)
        app_.playback.requestRedraw();
}

void SequencerPane::enterChord() {
    applyEditResult(enterHeldChord(app_.history, app_.song, app_.guitar, transferContext()));
}

void SequencerPane::sendToFretboard() {
    applyEditResult(sendEventToFretboard(app_.song, app_.guitar));
}

void SequencerPane::deleteSelection() {
    applyEditResult(deleteSelectedEvents(app_.history, app_.song));
}

void SequencerPane::undo() {
    applyEditResult(undoLastEdit(app_.history, app_.song, scrollMaximum()));
}

void SequencerPane::redo() {
    applyEditResult(redoLastUndo(app_.history, app_.song, scrollMaximum()));
}

void SequencerPane::copy() {
    applyEditResult(copySelection(app_.song));
}

void SequencerPane::cut() {
    applyEditResult(cutSelection(app_.song));
}

void SequencerPane::paste() {
    applyEditResult(pasteAt(app_.history, app_.song, app_.song.edit.cursorTick));
}

// ---- Property fields --------------------------------------------------------------------------

SequencerPane::FieldControls& SequencerPane::controlsOf(FieldId id) {
    return fields_[static_cast<int>(id)];
}

void SequencerPane::showFields() {
    for (FieldControls& f : fields_) {
        const NumField& field = app_.eventFields.Field(f.id);
        f.edit->setMaxLength(field.maxLength);
        if (f.edit->text() != QString::fromStdString(field.text))
            f.edit->setText(QString::fromStdString(field.text));
        f.edit->setEnabled(field.enabled);
        f.upDown->setEnabled(field.enabled);
    }
}

void SequencerPane::refreshFields() {
    updateEventFields(app_.eventFields, app_.song, app_.song.edit.anchorTick,
                      app_.song.edit.cursorTick);
    showFields();
}

void SequencerPane::fieldExit(FieldId id) {
    {
        // Values change in place; the lock keeps the playback tick from reading half an edit.
        std::lock_guard lock(app_.song.mutex);
        commitField(id, app_.eventFields, app_.song, app_.history);
    }
    showFields();
    view_->redrawLane();
}

void SequencerPane::fieldStep(FieldId id, int delta) {
    {
        std::lock_guard lock(app_.song.mutex);
        stepField(id, delta, app_.eventFields, app_.song, app_.history);
    }
    showFields();
    view_->redrawLane();
}

bool SequencerPane::eventFilter(QObject* watched, QEvent* event) {
    for (FieldControls& f : fields_) {
        if (watched != f.edit)
            continue;
        if (event->type() == QEvent::FocusOut) {
            // A menu or another window taking the keyboard is not leaving the field.
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                fieldExit(f.id);
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                controlsOf(nextField(f.id)).edit->setFocus(Qt::TabFocusReason);
                return true;
            }
        }
        return false;
    }
    if ((watched == gridLabel_ || watched == stepLabel_) &&
        event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::RightButton) {
            openPopupFrom(watched == gridLabel_ ? PopupSource::Grid : PopupSource::Step);
            gridStepMenu_->popup(press->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Time signature, grid and step ------------------------------------------------------------

void SequencerPane::onSignatureChanged() {
    if (timeSignatureChange(app_.song, sigNumerator_->currentIndex(),
                            sigDenominator_->currentIndex()))
        view_->redrawAll();
}

void SequencerPane::openPopupFrom(PopupSource source) {
    popupSource_ = source;
    const auto items = popupMenuItems(source);
    for (int i = 0; i < STEP_CHOICES; ++i) {
        gridStepItems_[i]->setText(QString::fromLatin1(items[i].caption));
        gridStepItems_[i]->setVisible(items[i].visible);
    }
}

void SequencerPane::choosePopupItem(int item) {
    if (!popupChoose(app_.song.edit, popupSource_, item))
        return;
    gridLabel_->setCaption(QString::fromStdString(gridCaption(app_.song.edit.tripletGrid)));
    stepLabel_->setCaption(QString::fromStdString(stepCaption(app_.song.edit.stepIndex)));
    view_->redrawAll();
}

} // namespace cadenzo
