#include "files/text_lines.h"

#include <charconv>

namespace cadenzo {

bool LineReader::Next(std::string_view& line) {
    if (rest_.empty())
        return false;
    const std::size_t end = rest_.find('\n');
    if (end == std::string_view::npos) {
        line = rest_;
        rest_ = {};
    } else {
        line = rest_.substr(0, end);
        rest_.remove_prefix(end + 1);
    }
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    ++lineNumber_;
    return true;
}

bool parseDecimal(std::string_view text, std::int32_t& value) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return false;
    }
    const char* first = text.data();
    const char* last = text.data() + text.size();
    std::int32_t parsed = 0;
    const auto [end, error] = std::from_chars(first, last, parsed);
    if (error != std::errc() || end != last)
        return false;
    value = parsed;
    return true;
}

void appendLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append("\r\n");
}

void appendLine(std::string& out, std::int64_t number) {
    appendLine(out, std::to_string(number));
}

std::string QuotedLine(std::string_view line) {
    constexpr std::size_t shown = 40;
    if (line.size() <= shown)
        return "\"" + std::string(line) + "\"";
    return "\"" + std::string(line.substr(0, shown)) + "...\"";
}

} // namespace cadenzo
