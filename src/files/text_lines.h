#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cadenzo {

// The program's own text files (settings, user chords) hold one value per line, each line ending
// in CR LF. Reading is tolerant: a bare LF also ends a line, and a last line without its line end
// still counts. Lines are bytes; nothing is decoded.
class LineReader {
public:
    explicit LineReader(std::string_view text) : rest_(text) {}

    // The next line without its line end; false when the text is used up.
    bool Next(std::string_view& line);
    // Number of the line Next returned last, counted from 1.
    int lineNumber() const { return lineNumber_; }

private:
    std::string_view rest_;
    int lineNumber_ = 0;
};

// A number line: optional sign, then decimal digits, nothing else, within 32 bits.
bool parseDecimal(std::string_view text, std::int32_t& value);

// Appends one line and its CR LF.
void appendLine(std::string& out, std::string_view line);
void appendLine(std::string& out, std::int64_t number);

// A line's text as shown in an error message: quoted, cut short when long.
std::string QuotedLine(std::string_view line);

} // namespace cadenzo
