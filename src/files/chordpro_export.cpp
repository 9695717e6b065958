#include "files/chordpro_export.h"

#include "files/atomic_file.h"
#include "model/chord_names.h"
#include "model/chords.h"

#include <algorithm>
#include <map>
#include <vector>

namespace cadenzo {

namespace {

constexpr int BARS_PER_LINE = 4;
// The highest fret a chord diagram starting at the nut shows.
constexpr int NUT_DIAGRAM_FRETS = 4;

const MeterEntry& barMeter(const Song& song, int bar) {
    return song.meterTable[static_cast<std::size_t>(std::min(bar, BAR_COUNT))];
}

// Where bar n (from 1) begins; past bar 100 the bars go on in bar 100's signature.
std::int64_t barStart(const Song& song, int bar) {
    if (bar <= BAR_COUNT + 1)
        return song.meterTable[static_cast<std::size_t>(bar - 1)].endTick;
    const MeterEntry& last = song.meterTable[BAR_COUNT];
    return std::int64_t{last.endTick} +
           std::int64_t{bar - BAR_COUNT - 1} * barTicks(last.num, last.den);
}

std::string meterText(const MeterEntry& m) {
    return std::to_string(m.num) + "/" + std::to_string(m.den);
}

} // namespace

std::string chordProDefine(std::string_view name, const Frets& frets) {
    int lowest = 0;
    int highest = 0;
    for (std::uint8_t f : frets)
        if (f != SILENT && f > 0) {
            lowest = lowest == 0 ? f : std::min<int>(lowest, f);
            highest = std::max<int>(highest, f);
        }
    const int base = highest <= NUT_DIAGRAM_FRETS ? 1 : lowest;
    std::string line =
        "{define: " + std::string(name) + " base-fret " + std::to_string(base) + " frets";
    for (int s = STRING_COUNT - 1; s >= 0; --s) {
        const std::uint8_t f = frets[static_cast<std::size_t>(s)];
        line += f == SILENT ? std::string(" x") : " " + std::to_string(f == 0 ? 0 : f - base + 1);
    }
    return line + "}";
}

std::string composeChordPro(const Song& song, std::string_view tempo, const Frets& tuning) {
    const auto count = std::min<std::uint32_t>(song.eventCount, MAX_EVENTS);
    // A song never saved has no name yet: its sheet has no title.
    std::string head = song.songName.empty() ? "" : "{title: " + song.songName + "}\n";
    head += "{tempo: " + std::string(tempo) + "}\n";
    if (count == 0)
        return head;

    // Each bar's chord changes under their sheet names, and the define of every sheet name.
    std::vector<std::vector<std::string>> bars;
    std::vector<std::string> defined;
    std::map<std::string, Frets> voicingOf; // sheet name -> voicing
    std::map<std::pair<std::string, Frets>, std::string>
        sheetName; // name and voicing -> sheet name
    std::string sounding;
    int bar = 1;
    for (std::uint32_t i = 0; i < count; ++i) {
        const SongEvent& e = song.songEvents[i];
        while (barStart(song, bar + 1) <= std::int64_t{e.tick})
            ++bar;
        bars.resize(static_cast<std::size_t>(bar));
        if (e.root == 0)
            continue;
        const std::string name = chordName({e.root, e.chordType});
        auto [named, isNew] = sheetName.try_emplace({name, e.frets}, name);
        if (isNew && voicingOf.contains(name)) {
            // Another voicing of a name already defined: its bass tells it apart. Only two
            // voicings with one bass share a define, the first one's.
            const int bass = lowestPitchClass(e.frets, tuning);
            const std::string slashed = name + "/" + chordName({bass + 1, 0});
            if (bass >= 0 && !voicingOf.contains(slashed))
                named->second = slashed;
        }
        if (voicingOf.try_emplace(named->second, e.frets).second)
            defined.push_back(chordProDefine(named->second, e.frets));
        if (named->second == sounding)
            continue;
        sounding = named->second;
        bars[static_cast<std::size_t>(bar - 1)].push_back(sounding);
    }

    std::string out = head;
    for (const std::string& line : defined)
        out += line + "\n";
    std::string row;
    int inRow = 0;
    const auto endRow = [&] {
        if (inRow > 0)
            out += row + "|\n";
        row.clear();
        inRow = 0;
    };
    for (int n = 1; n <= static_cast<int>(bars.size()); ++n) {
        const MeterEntry& m = barMeter(song, n);
        const bool newMeter =
            n == 1 || (n <= BAR_COUNT + 1 && meterText(barMeter(song, n - 1)) != meterText(m));
        if (newMeter || inRow == BARS_PER_LINE)
            endRow();
        if (newMeter)
            out += "{time: " + meterText(m) + "}\n";
        row += "|";
        for (const std::string& name : bars[static_cast<std::size_t>(n - 1)])
            row += " [" + name + "]";
        row += " ";
        ++inRow;
    }
    endRow();
    return out;
}

FileResult exportChordPro(const std::filesystem::path& path, const Song& song,
                          std::string_view tempo, const Frets& tuning) {
    return writeFileAtomically(path, composeChordPro(song, tempo, tuning));
}

} // namespace cadenzo
