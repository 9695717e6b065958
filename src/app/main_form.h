#pragma once

#include "state/app_context.h"
#include "app/settings_file.h"
#include "controls/color_number.h"
#include "dialogs/main_window_hooks.h"
#include "files/chord_file.h"
#include "files/song_file.h"
#include "model/chords.h"

#include <QMainWindow>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QRadioButton;

namespace cadenzo {

class FretboardView;
class RollView;
class SequencerPane;
class TShadowLabel;
class TShineSpeedButton;

// The main window of Cadenzo: the fretboard, the chord controls, the strum buttons and, in the
// pane that opens below them, the sequencer. Its handlers translate events, call the core and
// redraw; the rules themselves live in the core.
class Tmain_form : public QMainWindow, private SettingsSink {
    Q_OBJECT

public:
    explicit Tmain_form(AppContext& app, QWidget* parent = nullptr);
    ~Tmain_form() override;

    // The creation of the window, in its fixed order, ending with the MIDI device opened last.
    // `fileName` is the first command-line argument (empty when none).
    void FormCreate(const QString& fileName);

    // How warnings reach the user: a message box with one OK button at the window's left + 40,
    // top + 40. Tests replace it to read the text.
    std::function<void(const QString&)> warn;
    // How read and write failures reach the user (an error box); replaceable the same way.
    std::function<void(const QString&)> reportError;
    // How a yes/no question reaches the user (true for yes); replaceable the same way.
    std::function<bool(const QString&)> ask;
    // Opens the help document; replaceable so tests see what would be opened.
    std::function<void(const QString&)> openDocument;

    // Control state the core reads.
    bool playOnSetting() const;
    bool positionLock() const;
    bool chordSearch() const;
    bool stayOnTop() const;
    int seqPane() const { return seqPane_; }

    void OpenFileByName(const QString& name);
    void FilesDropped(const QList<QUrl>& urls);
    void SetSeqPane(int state);
    // Shows what a change of the guitar left out of date: the chord lists, the user chord list,
    // the fretboard and its scroll bar, the roll view.
    void ShowGuitarChange(const GuitarChange& change);
    void DrawNeck();
    // The pitches the strings sound follow the model, and the roll view shows them.
    void RefreshRoll();
    void ApplyColorScheme(bool gradation, TColor backGroundBtm, TColor fontColor, TColor buttonTop,
                          TColor buttonBtm, TColor backGroundTop);
    // The current state as the settings file writes it.
    Settings CurrentSettings() const;
    bool SaveSettings();

    // The program's named controls.
    TShadowLabel* backGround = nullptr;
    QComboBox* Chord1 = nullptr;
    QComboBox* Chord2 = nullptr;
    QGroupBox* Position = nullptr;
    QRadioButton* Position_L = nullptr;
    QRadioButton* Position_M = nullptr;
    QRadioButton* Position_H = nullptr;
    QComboBox* usr = nullptr;
    TShineSpeedButton* DownStBtn = nullptr;
    TShineSpeedButton* UpStBtn = nullptr;
    TShineSpeedButton* MuteBtn = nullptr;
    TShineSpeedButton* stClrBtn = nullptr;
    TShineSpeedButton* SeqBtn = nullptr;
    TShadowLabel* l_sig = nullptr;
    QLabel* statusPanel[4] = {};
    std::unique_ptr<FretboardView> fretboard;
    std::unique_ptr<RollView> roll;
    // The sequencer pane below, shown with `SeqBtn`.
    SequencerPane* sequencerPane = nullptr;

    // Menu items, named as the program names them.
    QMenu* File1 = nullptr;
    QMenu* EditE1 = nullptr;
    QMenu* C1 = nullptr;
    QMenu* SetUp1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* NewSongN1 = nullptr;
    QAction* LoadUserChordL1 = nullptr;
    QAction* LoadSong1 = nullptr;
    QAction* Savechord1 = nullptr;
    QAction* SaveSongasnew1 = nullptr;
    QAction* SaveSong1 = nullptr;
    QAction* ExportSMFE1 = nullptr;
    QAction* Close1 = nullptr;
    QAction* UndoZ1 = nullptr;
    QAction* CopyC1 = nullptr;
    QAction* CutX1 = nullptr;
    QAction* PasteV1 = nullptr;
    QAction* AllClearonFletQ1 = nullptr;
    QAction* Importnote1 = nullptr;
    QAction* Exportnote1 = nullptr;
    QAction* DeletenoteD1 = nullptr;
    QAction* Resist1 = nullptr;
    QAction* Edit1 = nullptr;
    QAction* instrument1 = nullptr;
    QAction* Playonsetting1 = nullptr;
    QAction* PositionLock1 = nullptr;
    QAction* ChordSe1 = nullptr;
    QAction* Stayontop1 = nullptr;
    QAction* ColorsC1 = nullptr;
    QAction* Help2 = nullptr;
    QAction* Version2 = nullptr;

    // Handlers.
    void Chord1Change();
    void Chord2Change();
    void Position_Click(int position);
    void usrChange(int index);
    void Stayontop1Click();
    void NewSongN1Click();
    void LoadSong1Click();
    void SaveSong1Click();
    void SaveSongasnew1Click();
    // LoadSong with what the window shows afterwards (songPath names the file only when it was
    // read); SaveSong likewise.
    void LoadSongFile(const std::filesystem::path& path);
    void SaveSongFile(const std::filesystem::path& path);
    void LoadUserChordL1Click();
    // The chord file chosen in "Open UserChord": a name that does not exist is created empty only
    // when the user agrees, else the table stays as it is.
    void OpenUserChordFile(const QString& name);
    void Savechord1Click();
    void Close1Click();
    void Help2Click();
    void Version2Click();
    void SeqBtnClick();
    bool FormKeyPress(const QString& text);
    bool FormKeyDown(int key);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateMenus();
    void CreateStatusBar();
    void FormResize();
    void FormClose();
    // After the frets were written elsewhere: the chord lists, the user chord list, the neck, its
    // scroll bar and the roll view follow them.
    void RecognizeAndMatch();
    void ShowChordSelection(ChordSelection shown);
    ChordSelection ChordShown() const;
    void RebuildUserChordList();
    SongFileParts SongParts();
    std::filesystem::path AskSongName(bool forSaving);
    void SaveSongAs(const std::filesystem::path& name);
    void ReportChordFile(const FileResult& result);
    void ApplySelectedUserChord();
    void ShowAppliedUserChord(ChordSelection shown);
    void LoadSettings();
    void SetStayOnTop(bool on);
    void WireStrumButtons();
    // The dialogs' menu commands (main_dialogs.cpp) and what the dialogs may ask of the window.
    void ConnectDialogCommands();
    MainWindowHooks DialogHooks();

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
    void setMidiDevice(std::uint8_t device) override;
    void checkPlayOnSetting() override;
    void checkStayOnTop() override;
    void checkChordSearch() override;
    void setRollPrintMode(std::int32_t itemIndex) override;
    void setTuning(int string, std::uint8_t value) override;
    void setSeqPane(std::int32_t group) override;

    AppContext& app_;
    bool formBusy_ = false;
    int seqPane_ = 0;
    bool settingControls_ = false;
};

} // namespace cadenzo
