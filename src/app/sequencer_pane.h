#pragma once

#include "controls/color_number.h"
#include "model/chords.h"
#include "playback/play_line.h"
#include "seq/edit_result.h"
#include "seq/event_fields.h"
#include "seq/meter_step.h"
#include "seq/seq_mouse.h"
#include "seq/transfer.h"
#include "state/app_context.h"

#include <QString>
#include <QWidget>

#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollBar;
class QSpinBox;
class QTimer;
class QToolButton;

namespace cadenzo {

class SequenceView;
class ShadowLabel;
class ShineSpeedButton;

// The sequencer pane below the fretboard: the sequence view with its scroll bar, zoom and lane
// choice, the time signature, grid and step, the property fields, the transfer buttons, the tempo
// and the transport. It wires each control to the core and draws from the core's state; the main
// window shows it with `SeqBtn`. Window thread only.
//
// It is also the playback engine's listener: the transport buttons and status panel 3 follow the
// engine's state, and while a timer runs a display-rate timer turns the position the engine
// publishes into the play line.
class SequencerPane : public QWidget, public PlaybackListener {
    Q_OBJECT

public:
    // What the pane needs from the main window.
    struct Hooks {
        // Item indexes of `Chord1` and `Chord2` (root and type of an entered chord).
        std::function<ChordSelection()> chordShown;
        // `frets` may have changed: move the neck's scroll bar, drawNeck, recognizeChord,
        // matchUserChord, refreshRollView.
        std::function<void()> fretboardChanged;
        // A message box with one OK button.
        std::function<void(const QString&)> warn;
    };

    // `statusPanels` are the four panels of the main window's status bar; `sigLabel` is the
    // window's `l_sig` (it keeps the scheme's font colour), placed over the signature combos.
    SequencerPane(AppContext& app, QLabel* const (&statusPanels)[4], ShadowLabel* sigLabel,
                  Hooks hooks, QWidget* parent);
    ~SequencerPane() override;

    // The resize rule for a main window of width `windowWidth`: `seq_screen` W - 95 wide, `seqBar`
    // W - 207 wide with the maximum 99, the view redrawn.
    void layoutForWidth(int windowWidth);
    // New Song or a song load replaced the song: fields, tempo text, scroll bar and view follow.
    // A load shows the fields for tick 0, New Song for the selection.
    void songReplaced(bool loaded);
    // The transport at start: STOP shown, the fields and the view drawn.
    void start();
    // The pane's part of the window's colour scheme: the button colour sets, the background of
    // the grid and step labels and of the input controls, and the font colour.
    void applyColorScheme(bool gradation, PackedColor fontColor, PackedColor buttonTop,
                          PackedColor buttonBtm);

    // Transfer and the Edit menu (`SeqSetBtn`, `seqToNeckBtn`, `seqEraseBtn`, the Delete key).
    void enterChord();
    void sendToFretboard();
    void deleteSelection();
    void undo();
    void redo();
    void copy();
    void cut();
    void paste();

    // Transport: the five buttons and the space key.
    void playClick();
    void playOnClick();
    void pauseClick();
    void stopMouseDown();
    void stopClick();
    void backToTopClick();
    void togglePlay();
    // Off while the song is rendered to a file: the five buttons and the space key do nothing.
    void setTransportEnabled(bool on);

    // Practice (practice_controls.cpp): Edit -> "Loop Selection" makes the whole bars of the
    // selection the loop and switches it on; showPractice shows the engine's practice values in
    // the controls and the loop band (after the preferences were read).
    void loopSelection();
    void showPractice();

    // The window's part of a mouse edit in the view: fields, `seqBar`, locate, panels 0 and 1,
    // the playback redraw request.
    void applyMouseResult(const MouseResult& result);
    // One display refresh of the play line (the timer calls it while playback runs).
    void followPlayLine();

    // `pop1` .. `pop5` of `popUpMemu` as opened from `l_grid` or `l_step`.
    void openPopupFrom(PopupSource source);
    void choosePopupItem(int item);

    SequenceView* view() const { return view_; }

    // PlaybackListener
    void transportChanged(Transport state) override;
    void scrollSequence(int position) override;
    void clearDragLine() override;
    void redrawSequence() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct FieldControls {
        FieldId id;
        QLineEdit* edit = nullptr;
        QWidget* upDown = nullptr;
        QToolButton* up = nullptr;
        QToolButton* down = nullptr;
        ShadowLabel* label = nullptr;
    };

    void createViewControls();
    void createFieldControls();
    void createMeterControls();
    void createTransportControls();
    void createPracticeControls();
    void layoutPracticeControls(int right);
    void changePractice(const std::function<void(Practice&)>& change);
    ShineSpeedButton* makeButton(const char* name, const char* caption, const char* hint);
    ShadowLabel* makeLabel(const char* name, const QString& caption);

    void applyEditResult(const EditResult& result);
    // Mirror the core's property fields into `e_vel`, `e_gate`, `e_stroke` and their up-downs.
    void showFields();
    void refreshFields();
    void fieldExit(FieldId id);
    void fieldStep(FieldId id, int delta);
    FieldControls& controlsOf(FieldId id);
    // Set `seqBar` to the view's bar without running its change handler, then redraw.
    void showScrollPosition();
    void onScroll(int position);
    void onZoomStep(int delta);
    void onSignatureChanged();
    void onTempoEdited(const QString& text);
    void onTempoStep(int delta);
    void showTempoInUse();
    void startTransport();
    int scrollMaximum() const;
    TransferContext transferContext() const;

    AppContext& app_;
    QLabel* const* statusPanels_;
    ShadowLabel* sigLabel_;
    Hooks hooks_;
    int windowWidth_ = 422;

    SequenceView* view_ = nullptr;
    QScrollBar* seqBar_ = nullptr;
    QWidget* zoomUpDown_ = nullptr;
    QComboBox* laneChoice_ = nullptr;
    QComboBox* sigNumerator_ = nullptr;
    QComboBox* sigDenominator_ = nullptr;
    ShadowLabel* gridLabel_ = nullptr;
    ShadowLabel* stepLabel_ = nullptr;
    QMenu* gridStepMenu_ = nullptr;
    QAction* gridStepItems_[STEP_CHOICES] = {};
    PopupSource popupSource_ = PopupSource::Grid;
    FieldControls fields_[3] = {{FieldId::Velocity}, {FieldId::Gate}, {FieldId::Stroke}};
    ShineSpeedButton* setButton_ = nullptr;
    ShineSpeedButton* toNeckButton_ = nullptr;
    ShineSpeedButton* eraseButton_ = nullptr;

    ShadowLabel* tempoLabel_ = nullptr;
    QLineEdit* tempoEdit_ = nullptr;
    QWidget* tempoUpDown_ = nullptr;
    int tempoPosition_ = 120; // position of `tempoUD`
    ShineSpeedButton* backToTopButton_ = nullptr;
    ShineSpeedButton* playButton_ = nullptr;
    ShineSpeedButton* playingButton_ = nullptr;
    ShineSpeedButton* pausedButton_ = nullptr;
    ShineSpeedButton* stopButton_ = nullptr;
    bool transportEnabled_ = true;
    QTimer* playLineTimer_ = nullptr;
    QToolButton* loopButton_ = nullptr;
    QToolButton* countInButton_ = nullptr;
    QToolButton* clickButton_ = nullptr;
    QSpinBox* speedBox_ = nullptr;
    QSpinBox* clickVelocityBox_ = nullptr;
    PlayLineFollower playLine_;
};

} // namespace cadenzo
