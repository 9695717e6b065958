#pragma once

#include "files/atomic_file.h"
#include "model/guitar.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace cadenzo {

// First line of the settings file; a file with any other first line is replaced by defaults.
inline constexpr const char* SETTINGS_VERSION = "CZ0200";
// Name of the settings file in the start folder.
inline constexpr int SETTINGS_LINES = 26;

// The values of lines 2..27 of "Cadenzo.ini", in file order. Line 27 is there only when the
// device has a name; a reader of 26 lines never looks at it, so either reader reads the other's
// file. Colours are the 32-bit
// colour numbers (red in the low byte, 0x80 in the top byte for a system colour), kept signed as
// the file writes them.
struct Settings {
    std::int32_t seqBtnGroup = 0;         // line 2: sequencer pane open (1) or closed (0)
    std::int32_t top = 30;                // line 3
    std::int32_t left = 30;               // line 4
    std::int32_t width = 422;             // line 5
    std::int32_t height = 270;            // line 6
    std::int32_t backGroundBtm = 0;       // line 7, black
    std::int32_t backGroundTop = 8388608; // line 8, navy
    std::int32_t buttonBtm = 8388608;     // line 9, navy
    std::int32_t buttonTop = 16777215;    // line 10, white
    std::int32_t fontColor = 65535;       // line 11, yellow
    std::uint8_t midiChannel = 0;         // line 12, channel number minus one
    std::uint8_t midiProgram = 24;        // line 13
    std::uint8_t midiVelocity = 100;      // line 14
    std::uint8_t midiDevice = 0;          // line 15
    bool playOnSetting = true;            // line 16
    bool stayOnTop = false;               // line 17
    bool chordSearch = true;              // line 18
    std::int32_t printModeBox = 0;        // line 19: 0 piano roll, 1 TAB and MML
    std::int32_t widthAgain = 422;        // line 20: the window width once more
    Frets tuning = standardTuning;        // lines 21..26, strings 0..5
    std::string midiDeviceName;           // line 27: the name of line 15's device, if known

    bool operator==(const Settings&) const = default;
};

// The state a first run starts from; the window keeps its current width on lines 5 and 20.
Settings defaultSettings(std::int32_t windowWidth = 422);

// What a read of the settings file gave. Every line is read: values holds what each line gave,
// and the default (defaultSettings with the window's width) for a line that is missing or is not a
// whole number where one is due, so that one bad line does not unset the lines after it. A flag is
// true only for a line that is exactly "True"; byte values keep their low 8 bits.
struct SettingsRead {
    Settings values;
    std::vector<int> replacedLines; // lines that got their default, in file order
    FileResult result; // a failure names the file and every replaced line, or why it was not read

    bool complete() const { return result.ok(); }
};

// The bytes of the settings file for values: 26 lines, CR LF each, version mark first; then the
// device name, unless it is empty or holds a line break (it would not read back).
std::string settingsText(const Settings& values);

// Reads settings file bytes. Line 1 is read but not checked here.
SettingsRead readSettingsText(std::string_view text, const std::filesystem::path& fileName,
                              std::int32_t windowWidth = 422);

// The start of the program: a missing settings file, or one whose first line is not exactly
// "CZ0200", is replaced by a file of defaults (with the window's current width); then the file is
// read. defaultsWritten tells the window to put the default state in force before applying. A
// file that cannot be read gives the defaults and the reason.
struct SettingsLoad : SettingsRead {
    bool defaultsWritten = false;
};
SettingsLoad loadSettingsFile(const std::filesystem::path& path, std::int32_t windowWidth);

// The window's save: writes current, or, when no file exists at path, the defaults with the
// current width, which the window is then to put in force (defaultsWritten). Written
// atomically, so a failing save leaves the previous file as it was. "Close (&X)" saves twice.
struct SettingsSave {
    FileResult result;
    bool defaultsWritten = false;
    Settings written;
};
SettingsSave saveSettingsFile(const std::filesystem::path& path, const Settings& current);

// Where the window applies what was read. applySettings calls these in the order the values
// take effect at start-up, every one of them whatever the read gave.
class SettingsSink {
public:
    virtual ~SettingsSink() = default;
    virtual void setSeqBtnGroup(std::int32_t group) = 0; // shows SeqBtn pressed when not 0
    virtual void setWindowTop(std::int32_t top) = 0;
    virtual void setWindowLeft(std::int32_t left) = 0;
    virtual void setWindowWidth(std::int32_t width) = 0; // lines 5 and 20
    virtual void setWindowHeight(std::int32_t height) = 0;
    // After line 11, with gradation on.
    virtual void applyColorScheme(std::int32_t backGroundBtm, std::int32_t backGroundTop,
                                  std::int32_t buttonBtm, std::int32_t buttonTop,
                                  std::int32_t fontColor) = 0;
    virtual void setMidiChannel(std::uint8_t channel) = 0;
    virtual void setMidiProgram(std::uint8_t program) = 0;
    virtual void setMidiVelocity(std::uint8_t velocity) = 0;
    virtual void setMidiDevice(std::uint8_t device, const std::string& name) = 0;
    // Called only for a line that is exactly "True"; any other line leaves the item as it is.
    virtual void checkPlayOnSetting() = 0;
    virtual void checkStayOnTop() = 0; // also makes the window stay on top
    virtual void checkChordSearch() = 0;
    virtual void setRollPrintMode(std::int32_t itemIndex) = 0; // without a change event
    virtual void setTuning(int string, std::uint8_t value) = 0;
    // Last: opens (not 0) or closes the sequencer pane, which also sets the window height and
    // enables the song commands.
    virtual void setSeqPane(std::int32_t group) = 0;
};

void applySettings(const SettingsRead& read, SettingsSink& sink);

} // namespace cadenzo
