#include "files/chord_chart.h"

#include "files/atomic_file.h"
#include "model/chords.h"
#include "seq/transfer.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <mutex>

namespace cadenzo {

namespace {

constexpr std::int32_t EIGHTH_TICKS = TICKS_PER_QUARTER / 2;
// The longest gate the event fields can show.
constexpr std::int32_t MAX_GATE = 32767;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool parseNumber(std::string_view text, int& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc{} && end == text.data() + text.size() && !text.empty();
}

// "3/4" with a signature the editor can hold.
bool parseMeter(std::string_view text, ChartBar& meter) {
    const auto slash = text.find('/');
    int num = 0;
    int den = 0;
    if (slash == std::string_view::npos || !parseNumber(text.substr(0, slash), num) ||
        !parseNumber(text.substr(slash + 1), den) || !validMeter(num, den))
        return false;
    meter.num = static_cast<std::uint8_t>(num);
    meter.den = static_cast<std::uint8_t>(den);
    return true;
}

bool isMeterLine(std::string_view text) {
    const auto slash = text.find('/');
    if (slash == std::string_view::npos || slash == 0 || slash + 1 == text.size())
        return false;
    return std::all_of(text.begin(), text.end(), [](char c) {
        return c == '/' || std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// Reads one chart; each method returns "" or the problem with its place.
class ChartReader {
public:
    explicit ChartReader(ChordChart& chart) : chart_(chart) {}

    std::string line(std::string_view text, int number) {
        text_ = text;
        number_ = number;
        const std::string_view body = trimmed(text);
        if (body.empty() || body.front() == '#')
            return {};
        if (body.front() == '{')
            return directive(body);
        if (isMeterLine(body))
            return parseMeter(body, meter_) ? std::string{} : problemAt(body, "bad time signature");
        const bool chordPro = text.find('[') != std::string_view::npos;
        if (!chordPro && text.find('|') == std::string_view::npos)
            return {}; // a heading or lyrics without chords
        return bars(chordPro);
    }

private:
    ChordChart& chart_;
    ChartBar meter_;
    std::string_view text_;
    int number_ = 0;

    std::string problemAt(std::string_view part, const std::string& what) const {
        const auto offset = static_cast<std::size_t>(part.data() - text_.data());
        // Characters, not bytes: UTF-8 continuation bytes do not count.
        const auto column = 1 + std::count_if(text_.begin(), text_.begin() + offset, [](char c) {
                                return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
                            });
        return "line " + std::to_string(number_) + ", column " + std::to_string(column) + ": " +
               what + " \"" + std::string(part) + "\"";
    }

    std::string directive(std::string_view body) {
        const auto close = body.find('}');
        if (close == std::string_view::npos)
            return problemAt(body, "unclosed directive");
        const std::string_view inner = body.substr(1, close - 1);
        const auto split = inner.find_first_of(": \t");
        std::string name(trimmed(inner.substr(0, split)));
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        std::string_view value = split == std::string_view::npos ? "" : inner.substr(split + 1);
        value = trimmed(value);
        if (name == "title" || name == "t")
            chart_.title = std::string(value);
        else if (name == "tempo" && !(parseNumber(value, chart_.tempo) &&
                                      chart_.tempo >= MIN_TEMPO && chart_.tempo <= MAX_TEMPO))
            return problemAt(value, "bad tempo");
        else if (name == "time" && !parseMeter(value, meter_))
            return problemAt(value, "bad time signature");
        return {};
    }

    std::string chord(std::string_view name, std::vector<ChordSymbol>& into) const {
        const std::optional<ChordSymbol> parsed = parseChordSymbol(name);
        if (!parsed)
            return problemAt(name, "unknown chord name");
        into.push_back(*parsed);
        return {};
    }

    // A plain bar's words: chords, or "%" alone.
    std::string words(std::string_view segment, ChartBar& bar, bool& repeat) const {
        std::size_t at = 0;
        while (at < segment.size()) {
            if (isBlank(segment[at])) {
                ++at;
                continue;
            }
            std::size_t end = at;
            while (end < segment.size() && !isBlank(segment[end]))
                ++end;
            const std::string_view word = segment.substr(at, end - at);
            if (word == "%")
                repeat = true;
            else if (std::string problem = chord(word, bar.chords); !problem.empty())
                return problem;
            if (repeat && !bar.chords.empty())
                return problemAt(word, "a bar holds chords or \"%\", not both:");
            at = end;
        }
        return {};
    }

    std::string bars(bool chordPro) {
        std::size_t start = 0;
        ChartBar bar = meter_;
        bool repeat = false;
        bool first = true;
        bool anyBarLine = false;
        for (std::size_t at = 0; at <= text_.size(); ++at) {
            const bool end = at == text_.size();
            if (chordPro && !end && text_[at] == '[') {
                const auto close = text_.find(']', at);
                if (close == std::string_view::npos)
                    return problemAt(text_.substr(at), "unclosed chord");
                if (std::string problem = chord(text_.substr(at + 1, close - at - 1), bar.chords);
                    !problem.empty())
                    return problem;
                at = close;
                continue;
            }
            if (!end && text_[at] != '|')
                continue;
            anyBarLine = anyBarLine || !end;
            const std::string_view segment = text_.substr(start, at - start);
            if (!chordPro)
                if (std::string problem = words(segment, bar, repeat); !problem.empty())
                    return problem;
            // Before the first bar line and after the last only chords make a bar; between two
            // bar lines any text does ("| |" lets the chord ring on), but "||" is one double line.
            const bool inner = !first && !end;
            if (repeat) {
                if (chart_.bars.empty())
                    return problemAt(trimmed(segment), "no bar before");
                bar.chords = chart_.bars.back().chords;
            }
            if (chordPro && !anyBarLine && end) // a line of lyrics: a bar for each chord
                for (const ChordSymbol& c : bar.chords)
                    chart_.bars.push_back({meter_.num, meter_.den, {c}});
            else if (!bar.chords.empty() || repeat || (inner && !segment.empty()))
                chart_.bars.push_back(bar);
            bar = meter_;
            repeat = false;
            first = false;
            start = at + 1;
        }
        return {};
    }
};

struct Stroke {
    std::int32_t tick;
    bool up;
    const ChordSymbol* chord;
};

} // namespace

std::string parseChordChart(std::string_view text, ChordChart& chart) {
    chart = {};
    if (text.starts_with("\xEF\xBB\xBF")) // the byte order mark some editors begin a file with
        text.remove_prefix(3);
    ChartReader reader(chart);
    int number = 0;
    while (!text.empty()) {
        const auto newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
        if (std::string problem = reader.line(line, ++number); !problem.empty())
            return problem;
    }
    return {};
}

std::string checkStrumPattern(std::string_view pattern) {
    if (pattern.empty() || pattern.find_first_not_of("DU-") != std::string_view::npos)
        return "bad strum pattern \"" + std::string(pattern) +
               "\": use D (down), U (up) and - (rest), one per eighth note";
    return {};
}

std::string arrangeChart(const ChordChart& chart, const ChartOptions& options, ChartSong& out) {
    out = {};
    if (std::string problem = checkStrumPattern(options.pattern); !problem.empty())
        return problem;
    if (chart.bars.empty()) // most likely not a chart at all: no song is replaced by nothing
        return "the chart has no bars";
    if (chart.bars.size() > static_cast<std::size_t>(BAR_COUNT))
        return "the chart has " + std::to_string(chart.bars.size()) + " bars; a song holds " +
               std::to_string(BAR_COUNT);
    out.tempo = options.tempo != 0 ? options.tempo
                : chart.tempo != 0 ? chart.tempo
                                   : DEFAULT_CHART_TEMPO;
    const std::size_t symbols = options.pattern.size();
    std::vector<Stroke> strokes;
    const ChordSymbol* ringing = nullptr;
    std::int32_t barStart = 0;
    for (std::size_t b = 0; b < chart.bars.size(); ++b) {
        const ChartBar& bar = chart.bars[b];
        out.meters.push_back({bar.num, bar.den, {}});
        const std::int32_t length = barTicks(bar.num, bar.den);
        const auto count = static_cast<std::int32_t>(bar.chords.size());
        // The chords' shares start on the editor's raster; each needs a start of its own.
        if (count * TICK_RASTER > length)
            return "bar " + std::to_string(b + 1) + " is too short for its " +
                   std::to_string(count) + " chords";
        std::int32_t nextShare = 0;
        int share = 0;
        for (std::int32_t t = 0; t < length; t += TICK_RASTER) {
            const bool chordStarts = share < count && t == nextShare;
            if (chordStarts) {
                ringing = &bar.chords[static_cast<std::size_t>(share)];
                ++share;
                nextShare = length * share / count / TICK_RASTER * TICK_RASTER;
            }
            const char symbol =
                t % EIGHTH_TICKS == 0
                    ? options.pattern[static_cast<std::size_t>(t / EIGHTH_TICKS) % symbols]
                    : '-';
            if (ringing != nullptr && (chordStarts || symbol != '-'))
                strokes.push_back({barStart + t, symbol == 'U', ringing});
        }
        barStart += length;
    }
    if (strokes.size() > static_cast<std::size_t>(MAX_EVENTS))
        return "the chart needs " + std::to_string(strokes.size()) + " strokes; a song holds " +
               std::to_string(MAX_EVENTS);

    // Accents: from the bar and beat each stroke falls on.
    std::vector<std::int32_t> starts{0};
    for (const ChartBar& m : out.meters)
        starts.push_back(starts.back() + barTicks(m.num, m.den));
    std::size_t bar = 0;
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        const Stroke& s = strokes[i];
        while (starts[bar + 1] <= s.tick)
            ++bar;
        const std::int32_t inBar = s.tick - starts[bar];
        const std::int32_t beat =
            barTicks(out.meters[bar].num, out.meters[bar].den) / out.meters[bar].num;
        const std::int32_t next = i + 1 < strokes.size() ? strokes[i + 1].tick : starts[bar + 1];
        const ChordSymbol& c = *s.chord;
        const int position = positionForBass(c, options.position, options.tuning);
        SongEvent e;
        e.tick = static_cast<std::uint32_t>(s.tick);
        e.frets = tunedVoicing(c.root, c.type, position, options.tuning);
        e.velocity = inBar == 0          ? BAR_ACCENT_VELOCITY
                     : inBar % beat == 0 ? BEAT_ACCENT_VELOCITY
                                         : OFFBEAT_VELOCITY;
        e.gate = std::min(next - s.tick, MAX_GATE);
        e.strokeDir = s.up ? 1 : 0;
        e.strokeTime = std::min(DEFAULT_ENTRY_STROKE_TIME, e.gate);
        e.root = static_cast<std::uint8_t>(c.root + 1);
        e.chordType = static_cast<std::uint8_t>(c.type);
        out.events.push_back(e);
    }
    return {};
}

void storeChartSong(const ChartSong& arranged, const std::string& name, Song& song) {
    std::lock_guard lock(song.mutex);
    song.resetSong();
    for (std::size_t b = 0; b < arranged.meters.size(); ++b) {
        const ChartBar& m = arranged.meters[b];
        const MeterEntry& now = song.meterTable[b + 1];
        if (now.num != m.num || now.den != m.den)
            song.setMeter(static_cast<int>(b + 1), m.num, m.den);
    }
    for (const SongEvent& e : arranged.events)
        song.insertEvent(e);
    song.sortEvents();
    song.songName = name;
}

FileResult readChordChart(const std::filesystem::path& path, const ChartOptions& options,
                          ChartSong& out, std::string& title) {
    std::string text;
    if (FileResult read = readWholeFile(path, text); !read)
        return read;
    ChordChart chart;
    std::string problem = parseChordChart(text, chart);
    if (problem.empty())
        problem = arrangeChart(chart, options, out);
    if (!problem.empty())
        return FileResult::Failure(FileFailure::Content, QuotedName(path) + ": " + problem);
    title = chart.title.empty() ? path.stem().string() : chart.title;
    return FileResult::success();
}

} // namespace cadenzo
