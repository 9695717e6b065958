#include "app/settings_file.h"

#include "files/text_lines.h"

#include <vector>

namespace cadenzo {
namespace fs = std::filesystem;

namespace {

constexpr const char* TRUE_TEXT = "True";
constexpr const char* FALSE_TEXT = "False";

// Reads the lines of the file in order, one value each. A line that is missing, or is not a whole
// number where one is due, leaves its value as it was (the default) and is noted for the message.
class SettingsLines {
public:
    explicit SettingsLines(std::string_view text) : reader_(text) {}

    bool Text(std::string_view& line) {
        ++lineNumber_;
        if (reader_.Next(line))
            return true;
        if (firstMissing_ == 0)
            firstMissing_ = lineNumber_;
        replaced_.push_back(lineNumber_);
        return false;
    }
    void Number(std::int32_t& value) {
        std::string_view line;
        if (!Text(line) || parseDecimal(line, value))
            return;
        replaced_.push_back(lineNumber_);
        notes_.push_back("line " + std::to_string(lineNumber_) + " " + QuotedLine(line) +
                         " is not a whole number");
    }
    void Byte(std::uint8_t& value) {
        std::int32_t number = value;
        Number(number);
        value = static_cast<std::uint8_t>(number & 0xFF);
    }
    // A line that may be left out: nothing is noted when it is missing.
    void Optional(std::string_view& line) {
        if (!reader_.Next(line))
            line = {};
    }
    void Flag(bool& value) {
        std::string_view line;
        if (Text(line))
            value = line == TRUE_TEXT;
    }

    const std::vector<int>& replaced() const { return replaced_; }

    // What the window reports: every unreadable line, then the missing ones at the end.
    std::string message(const fs::path& fileName) const {
        std::vector<std::string> notes = notes_;
        if (firstMissing_ == lineNumber_)
            notes.push_back("line " + std::to_string(lineNumber_) + " is missing");
        else if (firstMissing_ != 0)
            notes.push_back("lines " + std::to_string(firstMissing_) + " to " +
                            std::to_string(lineNumber_) + " are missing");
        std::string text = "The settings file " + QuotedName(fileName) + ": ";
        for (std::size_t k = 0; k < notes.size(); ++k)
            text += (k == 0 ? "" : "; ") + notes[k];
        return text +
               (replaced_.size() == 1 ? ". Its default was used." : ". Their defaults were used.");
    }

private:
    LineReader reader_;
    int lineNumber_ = 0;
    int firstMissing_ = 0; // a missing line is followed only by missing ones
    std::vector<int> replaced_;
    std::vector<std::string> notes_;
};

// A device name that reads back as written: no line break, no CR that a line end would take.
bool isStorableName(std::string_view name) {
    return name.find_first_of("\r\n") == std::string_view::npos;
}

// Reads the 26 lines, and the device name after them, in file order.
void readLines(SettingsLines& lines, Settings& v) {
    std::string_view version;
    lines.Text(version);
    for (std::int32_t* number :
         {&v.seqBtnGroup, &v.top, &v.left, &v.width, &v.height, &v.backGroundBtm, &v.backGroundTop,
          &v.buttonBtm, &v.buttonTop, &v.fontColor})
        lines.Number(*number);
    for (std::uint8_t* byte : {&v.midiChannel, &v.midiProgram, &v.midiVelocity, &v.midiDevice})
        lines.Byte(*byte);
    for (bool* flag : {&v.playOnSetting, &v.stayOnTop, &v.chordSearch})
        lines.Flag(*flag);
    lines.Number(v.printModeBox);
    lines.Number(v.widthAgain);
    for (std::uint8_t& string : v.tuning)
        lines.Byte(string);
    std::string_view name;
    lines.Optional(name);
    v.midiDeviceName = isStorableName(name) ? std::string(name) : std::string();
}

// True when the first line of the file is the version mark of this format.
bool hasCurrentVersion(std::string_view text) {
    LineReader reader(text);
    std::string_view first;
    return reader.Next(first) && first == SETTINGS_VERSION;
}

} // namespace

Settings defaultSettings(std::int32_t windowWidth) {
    Settings values;
    values.width = windowWidth;
    values.widthAgain = windowWidth;
    return values;
}

std::string settingsText(const Settings& v) {
    std::string text;
    appendLine(text, SETTINGS_VERSION);
    for (const std::int32_t number :
         {v.seqBtnGroup, v.top, v.left, v.width, v.height, v.backGroundBtm, v.backGroundTop,
          v.buttonBtm, v.buttonTop, v.fontColor})
        appendLine(text, number);
    for (const std::uint8_t byte : {v.midiChannel, v.midiProgram, v.midiVelocity, v.midiDevice})
        appendLine(text, byte);
    for (const bool flag : {v.playOnSetting, v.stayOnTop, v.chordSearch})
        appendLine(text, flag ? TRUE_TEXT : FALSE_TEXT);
    appendLine(text, v.printModeBox);
    appendLine(text, v.widthAgain);
    for (const std::uint8_t value : v.tuning)
        appendLine(text, value);
    if (!v.midiDeviceName.empty() && isStorableName(v.midiDeviceName))
        appendLine(text, v.midiDeviceName);
    return text;
}

SettingsRead readSettingsText(std::string_view text, const fs::path& fileName,
                              std::int32_t windowWidth) {
    SettingsRead read;
    read.values = defaultSettings(windowWidth);
    SettingsLines lines(text);
    readLines(lines, read.values);
    read.replacedLines = lines.replaced();
    if (!read.replacedLines.empty())
        read.result = FileResult::Failure(FileFailure::Content, lines.message(fileName));
    return read;
}

SettingsLoad loadSettingsFile(const fs::path& path, std::int32_t windowWidth) {
    SettingsLoad load;
    std::string bytes;
    FileResult result;
    const bool exists = pathExists(path);
    if (exists)
        result = readWholeFile(path, bytes);
    // A missing file or another version is replaced by the defaults. The replacement is atomic,
    // so a file of another version is only lost once the defaults are safely written.
    if (result && (!exists || !hasCurrentVersion(bytes))) {
        load.defaultsWritten = true;
        result = writeFileAtomically(path, settingsText(defaultSettings(windowWidth)));
        if (result)
            result = readWholeFile(path, bytes);
    }
    if (!result) {
        load.values = defaultSettings(windowWidth);
        load.result = result;
        return load;
    }
    static_cast<SettingsRead&>(load) = readSettingsText(bytes, path, windowWidth);
    return load;
}

SettingsSave saveSettingsFile(const fs::path& path, const Settings& current) {
    SettingsSave save;
    save.defaultsWritten = !pathExists(path);
    save.written = save.defaultsWritten ? defaultSettings(current.width) : current;
    save.result = writeFileAtomically(path, settingsText(save.written));
    return save;
}

void applySettings(const SettingsRead& read, SettingsSink& sink) {
    const Settings& v = read.values;
    sink.setSeqBtnGroup(v.seqBtnGroup);
    sink.setWindowTop(v.top);
    sink.setWindowLeft(v.left);
    sink.setWindowWidth(v.width);
    sink.setWindowHeight(v.height);
    sink.applyColorScheme(v.backGroundBtm, v.backGroundTop, v.buttonBtm, v.buttonTop, v.fontColor);
    sink.setMidiChannel(v.midiChannel);
    sink.setMidiProgram(v.midiProgram);
    sink.setMidiVelocity(v.midiVelocity);
    sink.setMidiDevice(v.midiDevice, v.midiDeviceName);
    if (v.playOnSetting)
        sink.checkPlayOnSetting();
    if (v.stayOnTop)
        sink.checkStayOnTop();
    if (v.chordSearch)
        sink.checkChordSearch();
    sink.setRollPrintMode(v.printModeBox);
    sink.setWindowWidth(v.widthAgain);
    for (int s = 0; s < STRING_COUNT; ++s)
        sink.setTuning(s, v.tuning[static_cast<std::size_t>(s)]);
    // The pane, the song commands and the window height then agree with SeqBtn, and the height
    // of line 6 never lasts.
    sink.setSeqPane(v.seqBtnGroup);
}

} // namespace cadenzo
