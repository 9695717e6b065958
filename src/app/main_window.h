#pragma once

#include "app/settings_file.h"
#include "controls/color_number.h"
#include "dialogs/main_window_hooks.h"
#include "files/chord_file.h"
#include "files/song_file.h"
#include "model/chords.h"
#include "state/app_context.h"

#include <QMainWindow>
#include <QSettings>
#include <QStringList>
#include <QUrl>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QRadioButton;
class QSettings;
class QTimer;

namespace cadenzo {

class FretboardView;
class RecoverySession;
class RollView;
class SequencerPane;
class ShadowLabel;
class ShineSpeedButton;

// The main window of Cadenzo: the fretboard, the chord controls, the strum buttons and, in the
// pane that opens below them, the sequencer. Its handlers translate events, call the core and
// redraw; the rules themselves live in the core.
class MainWindow : public QMainWindow, private SettingsSink {
    Q_OBJECT

public:
    explicit MainWindow(AppContext& app, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The creation of the window, in its fixed order, ending with the MIDI device opened last.
    // `fileName` is the first command-line argument (empty when none).
    void start(const QString& fileName);

    // How warnings reach the user: a message box with one OK button at the window's left + 40,
    // top + 40. Tests replace it to read the text.
    std::function<void(const QString&)> warn;
    // How read and write failures reach the user (an error box); replaceable the same way.
    std::function<void(const QString&)> reportError;
    // How a yes/no question reaches the user (true for yes); replaceable the same way.
    std::function<bool(const QString&)> ask;
    // "Export Audio…" asks for the file (FLAC for a name ending in .flac, WAV otherwise) and for
    // where the song starts; replaceable so tests choose without the dialogs. Nothing: cancelled.
    struct AudioExportChoice {
        std::filesystem::path path;
        bool fromCursor = false; // false: from the start of the song
    };
    std::function<std::optional<AudioExportChoice>()> askAudioExport;
    // Opens the help document; replaceable so tests see what would be opened.
    std::function<void(const QString&)> openDocument;
    // "Save changes to the song?" with Save / Discard / Cancel; replaceable the same way.
    enum class SaveChoice { Save, Discard, Cancel };
    std::function<SaveChoice(const QString&)> askToSave;
    // The offer to restore a song left unsaved by a run that did not close properly. Closing
    // the box without an answer keeps the copy for a later start.
    enum class RestoreChoice { Restore, Discard, Later };
    std::function<RestoreChoice(const QString&)> askToRestore;

    // The song differs from what was last saved or loaded (the frets on the neck aside).
    bool songChanged();
    // Shows the changed state in the caption and keeps the recovery copy up to date. The window
    // runs it after every input that may have edited the song; tests that edit the core
    // directly call it themselves.
    void checkSongChanged();
    // Before the song is replaced or the window closes: a changed song asks "Save changes to the
    // song?". False when the user cancels, or when the save fails or is cancelled.
    bool maySongBeReplaced();

    // Control state the core reads.
    bool playOnSetting() const;
    bool positionLock() const;
    bool chordSearch() const;
    bool stayOnTop() const;
    int seqPane() const { return seqPane_; }

    void openFileByName(const QString& name);
    void filesDropped(const QList<QUrl>& urls);
    void showSequencerPane(int state);
    // Shows what a change of the guitar left out of date: the chord lists, the user chord list,
    // the fretboard and its scroll bar, the roll view.
    void showGuitarChange(const GuitarChange& change);
    void drawNeck();
    // The pitches the strings sound follow the model, and the roll view shows them.
    void refreshRollView();
    void setColorScheme(bool gradation, PackedColor backGroundBtm, PackedColor fontColor,
                        PackedColor buttonTop, PackedColor buttonBtm, PackedColor backGroundTop);
    // The current state as the settings file writes it.
    Settings currentSettings() const;
    bool saveSettings();

    // The two drawn views, which are not widgets themselves.
    FretboardView& fretboardView() { return *fretboard_; }
    RollView& rollView() { return *rollView_; }

    // Handlers.
    void onChordRootChanged();
    void onChordTypeChanged();
    void onPositionClicked(int position);
    void onUserChordChosen(int index);
    void onStayOnTopTriggered();
    void onNewSongTriggered();
    void onLoadSongTriggered();
    bool onSaveSongTriggered();
    void onSaveSongAsTriggered();
    // loadSong with what the window shows afterwards (songPath names the file only when it was
    // read); saveSong likewise.
    void loadSongFile(const std::filesystem::path& path);
    bool saveSongFile(const std::filesystem::path& path);
    void onLoadUserChordsTriggered();
    // "Import Chord Chart…": the chart at path, voiced at the chord position for the tuning and
    // strummed by the default pattern, replaces the song after the unsaved-changes question, as
    // a new song not yet saved. A chart that cannot be read is reported and changes nothing.
    void importChordChart(const std::filesystem::path& path);
    // "Export ChordPro…": the song as a chord sheet at path.
    void exportChordProFile(const std::filesystem::path& path);
    // The chord file chosen in "Open UserChord", named on the command line or dropped: a name that
    // does not exist is created empty only when the user agrees, else the table stays as it is.
    void openUserChordFile(const QString& name);
    void onSaveUserChordsTriggered();
    void onCloseTriggered();
    // Renders the song to an audio file on a worker thread (audio_export.cpp), with a progress
    // dialog and Cancel; the transport is disabled until it ends. The worker reads only its own
    // copy of the song and the cancel flag, and reports its progress and its end by queued calls
    // to the window thread, where everything else of the export runs.
    void onExportAudioTriggered();
    bool audioExportRunning() const { return audioExport_ != nullptr; }
    void onHelpTriggered();
    void onVersionTriggered();
    void onSequencerButtonClicked();
    bool handleTypedText(const QString& text);
    bool handleKeyDown(int key);
    bool isEditMenuKey(QObject* watched, const QKeyEvent& key) const;
    // Strumming without the mouse and the recent songs (main_live.cpp).
    // The keys of the down stroke, the up stroke and "Mute", indexed by LiveAction.
    std::array<int, LIVE_ACTIONS> strumKeys{Qt::Key_F5, Qt::Key_F6, Qt::Key_F7};
    bool handleStrumKey(QObject* watched, QEvent* event);
    // The song at path was opened or saved: it heads "Recent Songs".
    void noteRecentSong(const std::filesystem::path& path);
    const QStringList& recentSongs() const { return recentSongs_; }
    // The MIDI controller's port chosen by name ("None" or empty closes it).
    void chooseMidiInput(const QString& name);
    // Takes the controller's messages waiting; runs on the window thread.
    void takeMidiInput();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether backup.crd may be written at close.
    ChordBackup chordBackup_;
    // The widgets; each has its design name as objectName(), which is how tests find it.
    ShadowLabel* background_ = nullptr;
    QComboBox* chordRootBox_ = nullptr;
    QComboBox* chordTypeBox_ = nullptr;
    QGroupBox* positionGroup_ = nullptr;
    QRadioButton* positionLowRadio_ = nullptr;
    QRadioButton* positionMiddleRadio_ = nullptr;
    QRadioButton* positionHighRadio_ = nullptr;
    QComboBox* userChordBox_ = nullptr;
    ShineSpeedButton* downStrokeButton_ = nullptr;
    ShineSpeedButton* upStrokeButton_ = nullptr;
    ShineSpeedButton* muteButton_ = nullptr;
    ShineSpeedButton* clearFretsButton_ = nullptr;
    ShineSpeedButton* sequencerButton_ = nullptr;
    ShadowLabel* timeSignatureLabel_ = nullptr;
    QLabel* statusPanels_[4] = {};
    std::unique_ptr<FretboardView> fretboard_;
    std::unique_ptr<RollView> rollView_;
    // The sequencer pane below, shown with `SeqBtn`.
    SequencerPane* sequencerPane_ = nullptr;

    // Menus and their items.
    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* chordMenu_ = nullptr;
    QMenu* setupMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QAction* newSongAction_ = nullptr;
    QAction* loadUserChordsAction_ = nullptr;
    QAction* loadSongAction_ = nullptr;
    QAction* saveUserChordsAction_ = nullptr;
    QAction* saveSongAsAction_ = nullptr;
    QAction* saveSongAction_ = nullptr;
    QAction* exportSmfAction_ = nullptr;
    QAction* importChartAction_ = nullptr;
    QAction* exportChordProAction_ = nullptr;
    QAction* exportMusicXmlAction_ = nullptr;
    QAction* exportAudioAction_ = nullptr;
    QAction* closeAction_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QAction* copyAction_ = nullptr;
    QAction* cutAction_ = nullptr;
    QAction* pasteAction_ = nullptr;
    QAction* clearFretsAction_ = nullptr;
    QAction* importNoteAction_ = nullptr;
    QAction* exportNoteAction_ = nullptr;
    QAction* deleteNoteAction_ = nullptr;
    QAction* loopSelectionAction_ = nullptr;
    QAction* registerChordAction_ = nullptr;
    QAction* editChordAction_ = nullptr;
    QAction* instrumentAction_ = nullptr;
    QAction* playOnSettingAction_ = nullptr;
    QAction* positionLockAction_ = nullptr;
    QAction* chordSearchAction_ = nullptr;
    QAction* stayOnTopAction_ = nullptr;
    QAction* colorsAction_ = nullptr;
    QAction* helpAction_ = nullptr;
    QAction* versionAction_ = nullptr;

    void showPainted();
    void createControls();
    void createMenus();
    void createStatusBar();
    void layoutForWidth();
    void prepareToClose();
    // After the frets were written elsewhere: the chord lists, the user chord list, the neck, its
    // scroll bar and the roll view follow them.
    void recognizeAndMatch();
    void showChordSelection(ChordSelection shown);
    ChordSelection chordShown() const;
    void rebuildUserChordList();
    SongFileParts songParts();
    std::filesystem::path askSongName(bool forSaving);
    bool saveSongAs(const std::filesystem::path& name);
    // The question boxes, the timers and the recovery session of the unsaved song.
    void createUnsavedSongWatch();
    // The song as it is now counts as saved: the caption loses its mark, the recovery copy goes.
    void markSongClean();
    // Status panel 2 shows the song's path, or nothing.
    void showSongPath(const std::string& path);
    // Runs checkSongChanged once the events being handled are done.
    void scheduleSongCheck();
    void keepRecoveryCopy();
    // At start: a copy left by a run that did not close properly is offered for restoring.
    void offerRecovery();
    void reportChordFile(const FileResult& result);
    // An error of the settings or chord files: shown at once, or gathered while gathering_ is set.
    void reportFileFailure(const FileResult& result);
    // Ends the gathering and shows what was gathered as one box; `writeLead` opens the box when
    // a file could not be written.
    void showGatheredReports(const QString& writeLead);
    void applySelectedUserChord();
    void showAppliedUserChord(ChordSelection shown);
    void loadSettings();
    // The preferences file's groups (main_preferences.cpp), read at start and written at close.
    void loadPreferences();
    void savePreferences();
    // Practice playback (main_practice.cpp): Edit -> "Loop Selection", and the "Practice" group
    // of the preferences.
    void createPracticeCommands();
    void loadPracticePreferences(QSettings& preferences);
    void savePracticePreferences(QSettings& preferences);
    void keepTitleBarOnScreen();
    void setStayOnTop(bool on);
    void wireStrumButtons();
    // The dialogs' menu commands (main_dialogs.cpp) and what the dialogs may ask of the window.
    void connectDialogCommands();
    // "Colors" and "Export SMF" (main_window_export_colors.cpp).
    void connectExportAndColorCommands();
    // "Import Chord Chart…" and "Export ChordPro…" (main_chord_charts.cpp).
    void connectChordChartCommands();
    // "Export MusicXML…" (main_musicxml.cpp): asks for the file and the grid, then writes it.
    void onExportMusicXmlTriggered();
    MainWindowHooks dialogHooks();
    // The audio export in progress, if any, and its end on the window thread: the worker joined,
    // the transport enabled again, a failure reported. stopAudioExport cancels and waits for it.
    struct AudioExport;
    std::shared_ptr<AudioExport> audioExport_;
    void finishAudioExport();
    void stopAudioExport();
    std::optional<AudioExportChoice> askAudioExportInDialogs();

    // SettingsSink: the settings file applied in its order.
    void setSeqBtnGroup(std::int32_t group) override;
    void setWindowTop(std::int32_t top) override;
    void setWindowLeft(std::int32_t left) override;
    void setWindowWidth(std::int32_t width) override;
    void setWindowHeight(std::int32_t height) override;
    void applyColorScheme(std::int32_t backGroundBtm, std::int32_t backGroundTop,
                          std::int32_t buttonBtm, std::int32_t buttonTop,
                          std::int32_t fontColor) override;
    void setMidiChannel(std::uint8_t channel) override;
    void setMidiProgram(std::uint8_t program) override;
    void setMidiVelocity(std::uint8_t velocity) override;
    void setMidiDevice(std::uint8_t device, const std::string& name) override;
    void checkPlayOnSetting() override;
    void checkStayOnTop() override;
    void checkChordSearch() override;
    void setRollPrintMode(std::int32_t itemIndex) override;
    void setTuning(int string, std::uint8_t value) override;
    void setSeqPane(std::int32_t group) override;

    AppContext& app_;
    std::unique_ptr<RecoverySession> recovery_;
    // What songChanged compares with: the song's bytes when last saved or loaded.
    std::vector<std::uint8_t> cleanBytes_;
    // The bytes of the last recovery copy handed to the writer; empty when there is none.
    std::vector<std::uint8_t> keptBytes_;
    QTimer* songCheckTimer_ = nullptr;
    QTimer* recoveryTimer_ = nullptr;
    // The close was already agreed to by "Close (&X)": the close event does not ask again.
    bool closeAgreed_ = false;
    bool starting_ = false;
    // The file problems of the start and of the close: a folder Cadenzo cannot write in fails
    // every file, and the user is told once rather than once a file.
    struct FileReports {
        QStringList texts;
        bool writeFailed = false;
    };
    std::optional<FileReports> gathering_;
    int seqPane_ = 0;
    bool settingControls_ = false;

    // Strumming without the mouse and the recent songs (main_live.cpp).
    void createLiveControls();
    void rebuildRecentSongsMenu();
    void rebuildMidiInputMenu();
    void loadLivePreferences(QSettings& preferences);
    void saveLivePreferences(QSettings& preferences) const;
    QMenu* recentSongsMenu_ = nullptr;
    QMenu* midiInputMenu_ = nullptr;
    QStringList recentSongs_;
    QString midiInputName_;
    QTimer* chordGatherTimer_ = nullptr;
};

} // namespace cadenzo
