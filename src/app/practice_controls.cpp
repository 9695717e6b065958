// The sequencer pane's practice controls: the "Loop" toggle, the count-in and metronome toggles
// (with the click velocity in the metronome's menu), the practice speed beside the tempo, and
// the loop band in the view. They only set the engine's practice values; the song and its tempo
// stay as they are.
#include "app/sequencer_pane.h"

#include "views/sequence_view.h"

#include <QMenu>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QWidgetAction>

namespace cadenzo {

namespace {

QToolButton* toggle(QWidget* parent, const char* name, const char* caption, const char* hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(QString::fromUtf8(caption));
    button->setToolTip(QString::fromUtf8(hint));
    button->setCheckable(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QSpinBox* numberBox(QWidget* parent, const char* name, int min, int max, const char* hint) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(min, max);
    box->setToolTip(QString::fromUtf8(hint));
    return box;
}

} // namespace

void SequencerPane::createPracticeControls() {
    loopButton_ = toggle(this, "loop", "Loop", "Play the loop range over and over");
    countInButton_ =
        toggle(this, "count_in", "Count", "Count-in: one bar of clicks before playback");
    clickButton_ = toggle(this, "metronome", "Click", "A metronome click on every beat");
    speedBox_ = numberBox(this, "speed", MIN_PRACTICE_SPEED, MAX_PRACTICE_SPEED,
                          "Practice speed: percent of the tempo");
    speedBox_->setSuffix(QStringLiteral("%"));
    // The click velocity sits in the metronome button's menu, where it is set once and left.
    auto* menu = new QMenu(clickButton_);
    clickVelocityBox_ = numberBox(menu, "click_velocity", 1, 127, "Click velocity");
    clickVelocityBox_->setPrefix(QStringLiteral("Velocity "));
    auto* item = new QWidgetAction(menu);
    item->setDefaultWidget(clickVelocityBox_);
    menu->addAction(item);
    clickButton_->setMenu(menu);
    clickButton_->setPopupMode(QToolButton::MenuButtonPopup);

    connect(loopButton_, &QToolButton::toggled, this,
            [this](bool on) { changePractice([on](Practice& p) { p.loop = on; }); });
    connect(countInButton_, &QToolButton::toggled, this,
            [this](bool on) { changePractice([on](Practice& p) { p.countIn = on; }); });
    connect(clickButton_, &QToolButton::toggled, this,
            [this](bool on) { changePractice([on](Practice& p) { p.metronome = on; }); });
    connect(speedBox_, &QSpinBox::valueChanged, this,
            [this](int v) { changePractice([v](Practice& p) { p.speedPercent = v; }); });
    connect(clickVelocityBox_, &QSpinBox::valueChanged, this, [this](int v) {
        changePractice([v](Practice& p) { p.clickVelocity = static_cast<std::uint8_t>(v); });
    });
    showPractice();
}

void SequencerPane::layoutPracticeControls(int right) {
    // The count-in and metronome beside the scroll bar's row, the loop and the speed under the
    // tempo: all in the transport's column.
    countInButton_->setGeometry(right, 4 + SEQ_HEIGHT + 1, 38, 21);
    clickButton_->setGeometry(right + 39, 4 + SEQ_HEIGHT + 1, 43, 21);
    loopButton_->setGeometry(right, 4 + 106, 36, 22);
    speedBox_->setGeometry(right + 37, 4 + 106, 45, 22);
}

void SequencerPane::changePractice(const std::function<void(Practice&)>& change) {
    Practice practice = app_.playback.practice();
    change(practice);
    app_.playback.setPractice(practice);
    showPractice();
}

void SequencerPane::showPractice() {
    const Practice p = app_.playback.practice();
    const QSignalBlocker b1(loopButton_), b2(countInButton_), b3(clickButton_), b4(speedBox_),
        b5(clickVelocityBox_);
    loopButton_->setChecked(p.loop);
    countInButton_->setChecked(p.countIn);
    clickButton_->setChecked(p.metronome);
    speedBox_->setValue(p.speedPercent);
    clickVelocityBox_->setValue(p.clickVelocity);
    view_->setLoopBand(p.loop ? p.loopFirstBar : 0, p.loopLastBar);
}

void SequencerPane::loopSelection() {
    const EditState& edit = app_.song.edit;
    const auto [first, last] =
        barsOfSelection(app_.song.meterTable, edit.anchorTick, edit.cursorTick);
    changePractice([first, last](Practice& p) {
        p.loop = true;
        p.loopFirstBar = first;
        p.loopLastBar = last;
    });
}

} // namespace cadenzo
