// The sequencer pane's transport: tempo, the five transport buttons, the space key, and the play
// line that follows the engine's published position on the window thread.
#include "app/sequencer_pane.h"

#include "controls/shadow_label.h"
#include "controls/shine_speed_button.h"
#include "views/sequence_view.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <string>
#include <tuple>

namespace cadenzo {

namespace {

constexpr int TEMPO_MIN = 30;
constexpr int TEMPO_MAX = 300;
// The play line is redrawn at about the display's rate, whatever the timer's period.
constexpr int PLAY_LINE_REFRESH_MS = 16;

} // namespace

void SequencerPane::createTransportControls() {
    tempoLabel_ = makeLabel("l_tempo", QStringLiteral("Tempo"));
    tempoEdit_ = new QLineEdit(QString::fromStdString(app_.tempo), this);
    tempoEdit_->setObjectName(QStringLiteral("tempo"));
    tempoEdit_->setMaxLength(3);
    connect(tempoEdit_, &QLineEdit::textEdited, this,
            [this](const QString& text) { onTempoEdited(text); });
    QToolButton* faster = nullptr;
    QToolButton* slower = nullptr;
    tempoUpDown_ = new QWidget(this);
    tempoUpDown_->setObjectName(QStringLiteral("tempoUD"));
    for (auto [button, arrow, delta] :
         {std::tuple{&faster, Qt::UpArrow, +1}, std::tuple{&slower, Qt::DownArrow, -1}}) {
        *button = new QToolButton(tempoUpDown_);
        (*button)->setArrowType(arrow);
        (*button)->setAutoRepeat(true);
        (*button)->setFocusPolicy(Qt::NoFocus);
        (*button)->setObjectName(delta > 0 ? QStringLiteral("tempoUD_up")
                                           : QStringLiteral("tempoUD_down"));
        const int step = delta;
        connect(*button, &QToolButton::clicked, this, [this, step] { onTempoStep(step); });
    }

    backToTopButton_ = makeButton("backtop", "Top", "Back to the top");
    playButton_ = makeButton("play_button", "Play", "Play");
    playingButton_ = makeButton("play_on_button", "Pause", "Pause");
    pausedButton_ = makeButton("pause_button", "Resume", "Resume");
    stopButton_ = makeButton("stop_button", "Stop", "Stop");
    connect(backToTopButton_, &ShineSpeedButton::clicked, this, [this] { backToTopClick(); });
    connect(playButton_, &ShineSpeedButton::clicked, this, [this] { playClick(); });
    connect(playingButton_, &ShineSpeedButton::clicked, this, [this] { playOnClick(); });
    connect(pausedButton_, &ShineSpeedButton::clicked, this, [this] { pauseClick(); });
    connect(stopButton_, &ShineSpeedButton::mousePressed, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { stopMouseDown(); });
    connect(stopButton_, &ShineSpeedButton::clicked, this, [this] { stopClick(); });

    playLineTimer_ = new QTimer(this);
    playLineTimer_->setInterval(PLAY_LINE_REFRESH_MS);
    connect(playLineTimer_, &QTimer::timeout, this, [this] { followPlayLine(); });
    const TransportView shown = transportViewOf(app_.playback.transportState());
    playButton_->setVisible(shown.playButton);
    playingButton_->setVisible(shown.playOnButton);
    pausedButton_->setVisible(shown.pauseButton);
}

void SequencerPane::start() {
    app_.playback.setListener(this);
    app_.playback.setTransport(Transport::Stop);
    refreshFields();
    view_->redrawAll();
}

// ---- Tempo ------------------------------------------------------------------------------------

void SequencerPane::onTempoEdited(const QString& text) {
    app_.tempo = text.toStdString();
    // The up-down follows a number typed within its range; other text leaves it where it was.
    bool ok = false;
    const int value = text.toInt(&ok);
    if (ok && value >= TEMPO_MIN && value <= TEMPO_MAX)
        tempoPosition_ = value;
}

void SequencerPane::onTempoStep(int delta) {
    int typed = 0;
    if (PlaybackEngine::parseTempo(app_.tempo, typed))
        tempoPosition_ = typed;
    tempoPosition_ = std::clamp(tempoPosition_ + delta, TEMPO_MIN, TEMPO_MAX);
    app_.tempo = std::to_string(tempoPosition_);
    tempoEdit_->setText(QString::fromStdString(app_.tempo));
}

// ---- Transport --------------------------------------------------------------------------------

// What plays is what the box shows: a number out of range goes back into the box clamped, as
// the engine takes it.
void SequencerPane::showTempoInUse() {
    int tempo = 0;
    if (!PlaybackEngine::parseTempo(app_.tempo, tempo))
        return;
    tempoPosition_ = tempo;
    app_.tempo = std::to_string(tempo);
    if (tempoEdit_->text() != QString::fromStdString(app_.tempo))
        tempoEdit_->setText(QString::fromStdString(app_.tempo));
}

void SequencerPane::startTransport() {
    showTempoInUse();
    if (app_.playback.start(app_.tempo) == PlaybackEngine::StartResult::BadTempo)
        hooks_.warn(QStringLiteral("The tempo \"%1\" is not a number. Enter a tempo from %2 to %3.")
                        .arg(QString::fromStdString(app_.tempo))
                        .arg(TEMPO_MIN)
                        .arg(TEMPO_MAX));
}

void SequencerPane::playClick() {
    startTransport();
}

void SequencerPane::playOnClick() {
    app_.playback.pause();
}

void SequencerPane::pauseClick() {
    app_.playback.resume();
}

void SequencerPane::stopMouseDown() {
    app_.playback.stopPlayTimer();
}

void SequencerPane::stopClick() {
    app_.playback.stop();
}

void SequencerPane::backToTopClick() {
    app_.playback.backToTop();
    refreshFields(); // the cursor is at the top now
}

void SequencerPane::setTransportEnabled(bool on) {
    transportEnabled_ = on;
    for (QWidget* button :
         {backToTopButton_, playButton_, playingButton_, pausedButton_, stopButton_})
        button->setEnabled(on);
}

void SequencerPane::togglePlay() {
    if (!transportEnabled_)
        return;
    // The engine decides by the visible button; only the start can be refused for its tempo.
    if (transportViewOf(app_.playback.transportState()).playButton)
        startTransport();
    else
        app_.playback.togglePlay(app_.tempo);
}

void SequencerPane::followPlayLine() {
    const PlayLineStep step = playLine_.poll(app_.playback, app_.song);
    if (!step.draw)
        return;
    if (step.page) {
        // The page turn redraws the whole view; the line computed before it lies right of the
        // old view and so is not drawn, as the tick's rule has it.
        scrollSequence(*step.page);
        return;
    }
    view_->showPlayLine(step.x);
}

// ---- PlaybackListener -------------------------------------------------------------------------

void SequencerPane::transportChanged(Transport state) {
    const TransportView shown = transportViewOf(state);
    playButton_->setVisible(shown.playButton);
    playingButton_->setVisible(shown.playOnButton);
    pausedButton_->setVisible(shown.pauseButton);
    statusPanels_[3]->setText(QString::fromLatin1(shown.panel));
    if (state == Transport::Stop)
        playLineTimer_->stop();
    else if (!playLineTimer_->isActive())
        playLineTimer_->start();
}

void SequencerPane::scrollSequence(int position) {
    position = std::clamp(position, seqBar_->minimum(), seqBar_->maximum());
    if (seqBar_->value() != position)
        seqBar_->setValue(position); // its change handler scrolls and redraws
    else
        onScroll(position);
}

void SequencerPane::clearDragLine() {
    app_.seqMouse.dragLine = {};
}

void SequencerPane::redrawSequence() {
    view_->redrawAll();
}

} // namespace cadenzo
