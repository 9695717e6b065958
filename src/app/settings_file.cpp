#include "app/settings_file.h"

#include "files/text_lines.h"

namespace cadenzo {
namespace fs = std::filesystem;

namespace {

constexpr const char* TRUE_TEXT = "True";
constexpr const char* FALSE_TEXT = "False";

// Reads the lines of the file in order, one value each, and remembers where it stopped.
class SettingsLines {
public:
    SettingsLines(std::string_view text, const fs::path& fileName, SettingsRead& read)
        : reader_(text), fileName_(fileName), read_(read) {}

    bool Text(std::string_view& line) {
        if (!reader_.Next(line)) {
            fail(reader_.lineNumber() + 1, "is missing");
            return false;
        }
        read_.linesRead = reader_.lineNumber();
        return true;
    }
    bool Number(std::int32_t& value) {
        std::string_view line;
        if (!Text(line))
            return false;
        if (parseDecimal(line, value))
            return true;
        read_.linesRead = reader_.lineNumber() - 1;
        fail(reader_.lineNumber(), QuotedLine(line) + " is not a whole number");
        return false;
    }
    bool Byte(std::uint8_t& value) {
        std::int32_t number = 0;
        if (!Number(number))
            return false;
        value = static_cast<std::uint8_t>(number & 0xFF);
        return true;
    }
    bool Flag(bool& value) {
        std::string_view line;
        if (!Text(line))
            return false;
        value = line == TRUE_TEXT;
        return true;
    }

private:
    void fail(int lineNumber, const std::string& what) {
        read_.failedLine = lineNumber;
        read_.result = FileResult::Failure(
            FileFailure::Content, "Cannot read the settings file " + QuotedName(fileName_) +
                                      ": line " + std::to_string(lineNumber) + " " + what + ".");
    }

    LineReader reader_;
    const fs::path& fileName_;
    SettingsRead& read_;
};

// Reads the 26 lines in file order; the first failure ends the chain.
bool readLines(SettingsLines& lines, Settings& v) {
    std::string_view version;
    return lines.Text(version) && lines.Number(v.seqBtnGroup) && lines.Number(v.top) &&
           lines.Number(v.left) && lines.Number(v.width) && lines.Number(v.height) &&
           lines.Number(v.backGroundBtm) && lines.Number(v.backGroundTop) &&
           lines.Number(v.buttonBtm) && lines.Number(v.buttonTop) && lines.Number(v.fontColor) &&
           lines.Byte(v.midiChannel) && lines.Byte(v.midiProgram) && lines.Byte(v.midiVelocity) &&
           lines.Byte(v.midiDevice) && lines.Flag(v.playOnSetting) && lines.Flag(v.stayOnTop) &&
           lines.Flag(v.chordSearch) && lines.Number(v.printModeBox) &&
           lines.Number(v.widthAgain) && lines.Byte(v.tuning[0]) && lines.Byte(v.tuning[1]) &&
           lines.Byte(v.tuning[2]) && lines.Byte(v.tuning[3]) && lines.Byte(v.tuning[4]) &&
           lines.Byte(v.tuning[5]);
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
    return text;
}

SettingsRead readSettingsText(std::string_view text, const fs::path& fileName) {
    SettingsRead read;
    SettingsLines lines(text, fileName, read);
    readLines(lines, read.values); // linesRead and result say how far the read came
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
        load.result = result;
        return load;
    }
    static_cast<SettingsRead&>(load) = readSettingsText(bytes, path);
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
    const int n = read.linesRead;
    if (n >= 2)
        sink.setSeqBtnGroup(v.seqBtnGroup);
    if (n >= 3)
        sink.setWindowTop(v.top);
    if (n >= 4)
        sink.setWindowLeft(v.left);
    if (n >= 5)
        sink.setWindowWidth(v.width);
    if (n >= 6)
        sink.setWindowHeight(v.height);
    // The scheme takes effect only once all five colours are read.
    if (n >= 11)
        sink.applyColorScheme(v.backGroundBtm, v.backGroundTop, v.buttonBtm, v.buttonTop,
                              v.fontColor);
    if (n >= 12)
        sink.setMidiChannel(v.midiChannel);
    if (n >= 13)
        sink.setMidiProgram(v.midiProgram);
    if (n >= 14)
        sink.setMidiVelocity(v.midiVelocity);
    if (n >= 15)
        sink.setMidiDevice(v.midiDevice);
    if (n >= 16 && v.playOnSetting)
        sink.checkPlayOnSetting();
    if (n >= 17 && v.stayOnTop)
        sink.checkStayOnTop();
    if (n >= 18 && v.chordSearch)
        sink.checkChordSearch();
    if (n >= 19)
        sink.setRollPrintMode(v.printModeBox);
    if (n >= 20)
        sink.setWindowWidth(v.widthAgain);
    for (int s = 0; s < STRING_COUNT && n >= 21 + s; ++s)
        sink.setTuning(s, v.tuning[static_cast<std::size_t>(s)]);
    // Also after a failed read: the pane, the song commands and the window height then agree
    // with SeqBtn, and the height of line 6 never lasts.
    sink.setSeqPane(v.seqBtnGroup);
}

} // namespace cadenzo
