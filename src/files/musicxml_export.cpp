#include "files/musicxml_export.h"

#include "files/atomic_file.h"
#include "files/note_values.h"
#include "files/smf_export.h"
#include "model/chords.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <utility>

namespace cadenzo {

namespace {

// Triplets are written an eighth of the bar at a time: three triplet sixteenths in the time of
// two sixteenths, each written as a sixteenth half as long again as it sounds.
constexpr std::int32_t TRIPLET_CELL = 3 * TRIPLET_TICKS;

struct Bar {
    std::int64_t start = 0;
    std::int32_t length = 0;
    int num = 4;
    int den = 4;
    bool newMeter = false; // the bar writes its time signature
    std::int64_t end() const { return start + length; }
};

// Bars from the start of the song until one ends at or after `end`; past bar 100 the bars go on
// in bar 100's signature.
std::vector<Bar> barsUntil(const MeterTable& meter, std::int64_t end) {
    std::vector<Bar> bars;
    std::int64_t start = 0;
    for (int k = 1;; ++k) {
        const MeterEntry& m = meter[static_cast<std::size_t>(std::min(k, BAR_COUNT))];
        const bool changed = bars.empty() || bars.back().num != m.num || bars.back().den != m.den;
        bars.push_back({start, barTicks(m.num, m.den), m.num, m.den, changed});
        start = bars.back().end();
        if (start >= end)
            return bars;
    }
}

std::vector<int> eventsByTick(const Song& song) {
    std::vector<int> order;
    const int count = static_cast<int>(std::min<std::uint32_t>(song.eventCount, MAX_EVENTS));
    for (int i = 0; i < count && !song.songEvents[static_cast<std::size_t>(i)].isEnd(); ++i)
        order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return song.songEvents[static_cast<std::size_t>(a)].tick <
               song.songEvents[static_cast<std::size_t>(b)].tick;
    });
    return order;
}

// Moves ticks to the grid, measured from the start of their bar. An eighth of the bar whose onsets
// all lie on the triplet grid, one at least off the chosen grid, is a triplet cell: every point in
// it moves to the triplet grid.
class Quantiser {
public:
    Quantiser(std::vector<Bar> bars, std::int32_t step) : bars_(std::move(bars)), step_(step) {}

    // An onset the chosen grid cannot hold but the triplet grid can asks for a triplet cell; an
    // onset off the triplet grid refuses one, for good.
    void markOnset(std::int64_t t) {
        const auto [bar, offset] = locate(t);
        const std::pair<std::size_t, std::int64_t> cell{bar, offset / TRIPLET_CELL};
        if (offset % TRIPLET_TICKS != 0)
            refused_.insert(cell);
        else if (offset % step_ != 0 && cellFits(bar, offset))
            cells_.insert(cell);
    }
    void settleCells() {
        for (const auto& cell : refused_)
            cells_.erase(cell);
    }
    std::int64_t place(std::int64_t t) const {
        const auto [bar, offset] = locate(t);
        const std::int64_t unit = isTriplet(bar, offset) ? TRIPLET_TICKS : step_;
        const std::int64_t placed = (offset + unit / 2) / unit * unit;
        return bars_[bar].start + std::min<std::int64_t>(placed, bars_[bar].length);
    }
    // The smallest step after a placed point.
    std::int32_t stepAt(std::int64_t t) const {
        const auto [bar, offset] = locate(t);
        return isTriplet(bar, offset) ? TRIPLET_TICKS : step_;
    }
    std::pair<std::size_t, std::int64_t> locate(std::int64_t t) const {
        auto it = std::upper_bound(bars_.begin(), bars_.end(), t,
                                   [](std::int64_t v, const Bar& b) { return v < b.start; });
        const auto bar =
            static_cast<std::size_t>(std::max<std::ptrdiff_t>(it - bars_.begin() - 1, 0));
        return {bar, t - bars_[bar].start};
    }
    bool isTriplet(std::size_t bar, std::int64_t offset) const {
        return cells_.count({bar, offset / TRIPLET_CELL}) > 0;
    }
    const std::vector<Bar>& bars() const { return bars_; }

private:
    bool cellFits(std::size_t bar, std::int64_t offset) const {
        return (offset / TRIPLET_CELL + 1) * TRIPLET_CELL <= bars_[bar].length;
    }
    std::vector<Bar> bars_;
    std::int32_t step_;
    std::set<std::pair<std::size_t, std::int64_t>> cells_;
    std::set<std::pair<std::size_t, std::int64_t>> refused_;
};

std::int64_t gateEnd(const SongEvent& e) {
    return std::int64_t{e.tick} + std::max(0, e.gate);
}

Quantiser quantiserFor(const Song& song, NotationGrid grid, const std::vector<int>& events) {
    std::int64_t last = 0;
    for (int i : events)
        last = std::max(last, gateEnd(song.songEvents[static_cast<std::size_t>(i)]));
    // Slack after the last gate: a point may move on to the next bar, and a gate that quantises to
    // nothing lasts one step (at most an eighth) from there.
    Quantiser q(barsUntil(song.meterTable, last + 2 * TRIPLET_CELL), notationGridTicks(grid));
    for (int i : events)
        q.markOnset(song.songEvents[static_cast<std::size_t>(i)].tick);
    q.settleCells();
    return q;
}

std::vector<NotatedChord> quantise(const Song& song, const Quantiser& q,
                                   const std::vector<int>& events) {
    std::vector<NotatedChord> chords;
    for (int i : events) {
        const SongEvent& e = song.songEvents[static_cast<std::size_t>(i)];
        const std::int64_t onset = q.place(e.tick);
        if (!chords.empty() && chords.back().onset == onset)
            continue;
        if (!chords.empty())
            chords.back().end = std::min(chords.back().end, onset);
        std::int64_t end = q.place(gateEnd(e));
        if (end <= onset)
            end = onset + q.stepAt(onset);
        chords.push_back({onset, end, i});
    }
    return chords;
}

// One string of a chord as written.
struct NotatedNote {
    int string = 1; // 1 the highest, as tablature counts
    int fret = 0;
    int pitch = 0; // MIDI note
};

// The strings the event sounds, lowest string first: as in playback, a string whose place in the
// stroke comes after the end of the gate, or whose pitch lies above MIDI note 127, is left out.
std::vector<NotatedNote> soundingStrings(const SongEvent& e, const Frets& tuning) {
    const std::int64_t spread = std::max(0, e.strokeTime / 6);
    const std::array<int, STRING_COUNT> order =
        e.strokeDir == 1 ? std::array<int, STRING_COUNT>{0, 1, 2, 3, 4, 5}
                         : std::array<int, STRING_COUNT>{5, 4, 3, 2, 1, 0};
    std::array<bool, STRING_COUNT> sounds{};
    std::int64_t place = 0;
    for (int s : order) {
        const std::uint8_t fret = e.frets[static_cast<std::size_t>(s)];
        if (fret == SILENT)
            continue;
        sounds[static_cast<std::size_t>(s)] =
            place <= e.gate &&
            isMidiNote(stringMidiNote(fret, tuning[static_cast<std::size_t>(s)]));
        place += spread;
    }
    std::vector<NotatedNote> notes;
    for (int s = STRING_COUNT - 1; s >= 0; --s)
        if (sounds[static_cast<std::size_t>(s)]) {
            const std::uint8_t fret = e.frets[static_cast<std::size_t>(s)];
            notes.push_back(
                {s + 1, fret, stringMidiNote(fret, tuning[static_cast<std::size_t>(s)])});
        }
    return notes;
}

constexpr std::array<const char*, 12> STEPS{"C", "C", "D", "D", "E", "F",
                                            "F", "G", "G", "A", "A", "B"};
constexpr std::array<int, 12> ALTERS{0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0};

std::string pitchXml(int midi, const char* prefix) {
    const auto pc = static_cast<std::size_t>(midi % 12);
    std::string xml = std::string("<") + prefix + "step>" + STEPS[pc] + "</" + prefix + "step>";
    if (ALTERS[pc] != 0)
        xml += std::string("<") + prefix + "alter>1</" + prefix + "alter>";
    return xml;
}

// MusicXML's kind for each Chord2 item; the item itself is shown as the kind's text.
// clang-format off
constexpr std::array<const char*, CHORD_TYPES> KINDS{
    "major", "minor", "major-sixth", "minor-sixth", "dominant", "minor-seventh", "major-seventh",
    "major-minor", "half-diminished", "suspended-fourth", "suspended-fourth", "minor",
    "diminished", "augmented", "dominant-ninth", "major-ninth", "major-sixth", "dominant-ninth",
    "dominant-ninth", "dominant", "dominant", "minor-ninth", "major-minor", "minor-sixth"};
// clang-format on

std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A stretch of one bar written as one run of tied values: part of a chord, or a rest.
struct Piece {
    std::int64_t from = 0;
    std::int64_t to = 0;
    int chord = -1; // index into the written chords, -1 for a rest
    bool triplet = false;
};

struct WrittenChord {
    NotatedChord at;
    std::vector<NotatedNote> notes;
    const char* arpeggio = nullptr; // "up" or "down", or none
    const SongEvent* event = nullptr;
};

// Writes the measures: each bar cut into pieces at the chords' onsets and ends and at the edges
// of its triplet cells, the standard staff's voice first, then the tablature's over the same time.
class Writer {
public:
    Writer(std::string& out, const Quantiser& q, const std::vector<WrittenChord>& chords)
        : out_(out), q_(q), chords_(chords) {}

    void measure(std::size_t barIndex, const std::string& head) {
        const Bar& bar = q_.bars()[barIndex];
        out_ += "    <measure number=\"" + std::to_string(barIndex + 1) + "\">\n" + head;
        const std::vector<Piece> pieces = piecesOf(barIndex);
        for (int staff = 1; staff <= 2; ++staff) {
            if (staff == 2)
                out_ += "      <backup><duration>" + std::to_string(bar.length) +
                        "</duration></backup>\n";
            for (const Piece& p : pieces)
                writePiece(bar, p, staff);
        }
        out_ += "    </measure>\n";
    }

private:
    std::vector<Piece> piecesOf(std::size_t barIndex) const {
        const Bar& bar = q_.bars()[barIndex];
        std::set<std::int64_t> cuts{bar.start, bar.end()};
        for (std::int64_t cell = 0; cell + TRIPLET_CELL <= bar.length; cell += TRIPLET_CELL)
            if (q_.isTriplet(barIndex, cell)) {
                cuts.insert(bar.start + cell);
                cuts.insert(bar.start + cell + TRIPLET_CELL);
            }
        for (const WrittenChord& c : chords_)
            for (std::int64_t t : {c.at.onset, c.at.end})
                if (t > bar.start && t < bar.end())
                    cuts.insert(t);
        std::vector<Piece> pieces;
        for (auto it = cuts.begin(); std::next(it) != cuts.end(); ++it) {
            Piece p{*it, *std::next(it), -1, q_.isTriplet(barIndex, *it - bar.start)};
            for (std::size_t c = 0; c < chords_.size(); ++c)
                if (chords_[c].at.onset <= p.from && p.from < chords_[c].at.end)
                    p.chord = static_cast<int>(c);
            if (p.chord < 0 && !p.triplet && !pieces.empty() && pieces.back().chord < 0 &&
                !pieces.back().triplet)
                pieces.back().to = p.to;
            else
                pieces.push_back(p);
        }
        return pieces;
    }

    void writePiece(const Bar& bar, const Piece& p, int staff) {
        const std::string voice = staff == 1 ? "1" : "5";
        const std::string tail = "<voice>" + voice + "</voice>";
        if (p.chord < 0 && p.from == bar.start && p.to == bar.end()) {
            out_ += "      <note><rest measure=\"yes\"/><duration>" + std::to_string(bar.length) +
                    "</duration>" + tail + "<staff>" + std::to_string(staff) + "</staff></note>\n";
            return;
        }
        const WrittenChord* chord =
            p.chord >= 0 ? &chords_[static_cast<std::size_t>(p.chord)] : nullptr;
        if (staff == 1 && chord != nullptr && p.from == chord->at.onset &&
            chord->event->root >= 1 && chord->event->root <= 12)
            writeHarmony(*chord->event);
        const std::vector<NoteValue> values =
            splitIntoNoteValues(p.triplet ? (p.to - p.from) * 3 / 2 : p.to - p.from);
        std::int64_t at = p.from;
        for (std::size_t v = 0; v < values.size(); ++v) {
            const std::int64_t sounds = p.triplet ? values[v].ticks * 2 / 3 : values[v].ticks;
            std::string timing = "<duration>" + std::to_string(sounds) + "</duration>";
            std::string shape =
                tail + "<type>" + values[v].type + "</type>" + (values[v].dotted ? "<dot/>" : "");
            if (p.triplet)
                shape += "<time-modification><actual-notes>3</actual-notes><normal-notes>2</"
                         "normal-notes></time-modification>";
            shape += "<staff>" + std::to_string(staff) + "</staff>";
            std::string tuplet;
            if (p.triplet && (at - bar.start) % TRIPLET_CELL == 0)
                tuplet += "<tuplet type=\"start\" bracket=\"yes\"/>";
            if (p.triplet && (at + sounds - bar.start) % TRIPLET_CELL == 0)
                tuplet += "<tuplet type=\"stop\"/>";
            if (chord == nullptr)
                out_ += "      <note><rest/>" + timing + shape +
                        (tuplet.empty() ? "" : "<notations>" + tuplet + "</notations>") +
                        "</note>\n";
            else
                writeChordValue(*chord, at, at + sounds, timing, shape, tuplet, staff);
            at += sounds;
        }
    }

    // One value of a chord, [from, to): every note of it, tied to the value before and after
    // where the chord goes on; the arpeggio at its onset; the frets on the tablature staff.
    void writeChordValue(const WrittenChord& chord, std::int64_t from, std::int64_t to,
                         const std::string& timing, const std::string& shape,
                         const std::string& tuplet, int staff) {
        std::string ties, tied;
        if (from > chord.at.onset) {
            ties += "<tie type=\"stop\"/>";
            tied += "<tied type=\"stop\"/>";
        }
        if (to < chord.at.end) {
            ties += "<tie type=\"start\"/>";
            tied += "<tied type=\"start\"/>";
        }
        for (std::size_t n = 0; n < chord.notes.size(); ++n) {
            const NotatedNote& note = chord.notes[n];
            std::string notations = tied + (n == 0 ? tuplet : "");
            if (from == chord.at.onset && chord.arpeggio != nullptr)
                notations += std::string("<arpeggiate direction=\"") + chord.arpeggio + "\"/>";
            if (staff == 2)
                notations += "<technical><string>" + std::to_string(note.string) +
                             "</string><fret>" + std::to_string(note.fret) + "</fret></technical>";
            out_ += "      <note>" + std::string(n > 0 ? "<chord/>" : "") + "<pitch>" +
                    pitchXml(note.pitch, "") + "<octave>" + std::to_string(note.pitch / 12 - 1) +
                    "</octave></pitch>" + timing + ties + shape +
                    (notations.empty() ? "" : "<notations>" + notations + "</notations>") +
                    "</note>\n";
        }
    }

    void writeHarmony(const SongEvent& e) {
        const int type = e.chordType < KINDS.size() ? e.chordType : 0;
        std::string text = chordName({e.root, type}).substr(chordName({e.root, 0}).size());
        out_ += "      <harmony><root>" + pitchXml(e.root - 1, "root-") + "</root><kind";
        if (!text.empty())
            out_ += " text=\"" + escaped(text) + "\"";
        out_ += std::string(">") + KINDS[static_cast<std::size_t>(type)] +
                "</kind><staff>1</staff></harmony>\n";
    }

    std::string& out_;
    const Quantiser& q_;
    const std::vector<WrittenChord>& chords_;
};

std::string timeXml(const Bar& bar) {
    return "<time><beats>" + std::to_string(bar.num) + "</beats><beat-type>" +
           std::to_string(bar.den) + "</beat-type></time>";
}

// The attributes of the first bar: both staves, their clefs and the strings' tuning.
std::string firstAttributes(const Bar& bar, const Frets& tuning) {
    std::string xml = "      <attributes><divisions>" + std::to_string(TICKS_PER_QUARTER) +
                      "</divisions><key><fifths>0</fifths></key>" + timeXml(bar) +
                      "<staves>2</staves>\n"
                      "        <clef number=\"1\"><sign>G</sign><line>2</line>"
                      "<clef-octave-change>-1</clef-octave-change></clef>\n"
                      "        <clef number=\"2\"><sign>TAB</sign><line>5</line></clef>\n"
                      "        <staff-details number=\"2\"><staff-lines>6</staff-lines>\n";
    // Line 1 is the bottom line: the sixth string.
    for (int line = 1; line <= STRING_COUNT; ++line) {
        const int pitch = stringMidiNote(0, tuning[static_cast<std::size_t>(STRING_COUNT - line)]);
        xml += "          <staff-tuning line=\"" + std::to_string(line) + "\">" +
               pitchXml(pitch, "tuning-") + "<tuning-octave>" + std::to_string(pitch / 12 - 1) +
               "</tuning-octave></staff-tuning>\n";
    }
    return xml + "        </staff-details></attributes>\n";
}

// CRC-32 of the zip format (reflected polynomial 0xEDB88320), bit by bit: a score is small.
std::uint32_t crc32(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

std::string packMxl(std::string_view score) {
    const std::string container =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<container><rootfiles><rootfile "
        "full-path=\"score.musicxml\" media-type=\"application/vnd.recordare.musicxml+xml\"/>"
        "</rootfiles></container>\n";
    const std::pair<std::string_view, std::string_view> entries[] = {
        {"mimetype", "application/vnd.recordare.musicxml"},
        {"META-INF/container.xml", container},
        {"score.musicxml", score}};
    std::string out;
    std::string directory;
    for (const auto& [name, data] : entries) {
        const auto offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t crc = crc32(data);
        const auto size = static_cast<std::uint32_t>(data.size());
        // Version 1.0, no flags, stored, 1980-01-01 00:00 so that the bytes never change.
        std::string common;
        for (const auto& [value, bytes] : {std::pair<std::uint32_t, int>{10, 2},
                                           {0, 2},
                                           {0, 2},
                                           {0, 2},
                                           {0x21, 2},
                                           {crc, 4},
                                           {size, 4},
                                           {size, 4},
                                           {static_cast<std::uint32_t>(name.size()), 2},
                                           {0, 2}})
            putLe(common, value, bytes);
        putLe(out, 0x04034B50, 4);
        out += common;
        out += name;
        out += data;
        putLe(directory, 0x02014B50, 4);
        putLe(directory, 10, 2); // made by: version 1.0
        directory += common;
        putLe(directory, 0, 2); // comment
        putLe(directory, 0, 4); // disk, internal attributes
        putLe(directory, 0, 4); // external attributes
        putLe(directory, offset, 4);
        directory += name;
    }
    const auto directoryAt = static_cast<std::uint32_t>(out.size());
    out += directory;
    putLe(out, 0x06054B50, 4);
    putLe(out, 0, 4); // this disk, the directory's disk
    putLe(out, std::size(entries), 2);
    putLe(out, std::size(entries), 2);
    putLe(out, static_cast<std::uint32_t>(directory.size()), 4);
    putLe(out, directoryAt, 4);
    putLe(out, 0, 2); // comment
    return out;
}

std::vector<NotatedChord> notatedChords(const Song& song, NotationGrid grid) {
    const std::vector<int> events = eventsByTick(song);
    return quantise(song, quantiserFor(song, grid, events), events);
}

std::string composeMusicXml(const Song& song, const Frets& tuning, int tempo,
                            const MusicXmlOptions& options, std::string& out) {
    out.clear();
    if (tempo < MIN_TEMPO || tempo > MAX_TEMPO)
        return "The tempo " + std::to_string(tempo) + " is outside " + std::to_string(MIN_TEMPO) +
               ".." + std::to_string(MAX_TEMPO) + ".";
    for (int s = 0; s < STRING_COUNT; ++s)
        if (!isMidiNote(stringMidiNote(0, tuning[static_cast<std::size_t>(s)])))
            return "The tuning of string " + std::to_string(s + 1) + " lies above MIDI note 127.";
    if (options.midiChannel < 0 || options.midiChannel > 15 || options.midiProgram < 0 ||
        options.midiProgram > 127)
        return "The MIDI channel or program is out of range.";
    const std::vector<int> events = eventsByTick(song);
    for (int i : events)
        if (gateEnd(song.songEvents[static_cast<std::size_t>(i)]) > MAX_NOTATED_TICK)
            return "The song reaches past tick " + std::to_string(MAX_NOTATED_TICK) +
                   ", more than notation can be written for.";

    const Quantiser q = quantiserFor(song, options.grid, events);
    std::vector<WrittenChord> chords;
    std::int64_t end = 1;
    for (const NotatedChord& at : quantise(song, q, events)) {
        const SongEvent& e = song.songEvents[static_cast<std::size_t>(at.event)];
        WrittenChord c{at, soundingStrings(e, tuning), nullptr, &e};
        if (c.notes.empty())
            continue; // nothing sounds: the time is a rest
        if (c.notes.size() > 1 && e.strokeTime / 6 > 0)
            c.arpeggio = e.strokeDir == 1 ? "down" : "up"; // an up stroke begins at the top
        end = std::max(end, at.end);
        chords.push_back(std::move(c));
    }

    out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
          "<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 4.0 Partwise//EN\" "
          "\"http://www.musicxml.org/dtds/partwise.dtd\">\n"
          "<score-partwise version=\"4.0\">\n"
          "  <work><work-title>" +
          escaped(options.title) +
          "</work-title></work>\n"
          "  <identification><encoding><software>Cadenzo</software></encoding></identification>\n"
          "  <part-list>\n"
          "    <score-part id=\"P1\"><part-name>Guitar</part-name>\n"
          "      <score-instrument id=\"P1-I1\"><instrument-name>Guitar</instrument-name>"
          "</score-instrument>\n"
          "      <midi-instrument id=\"P1-I1\"><midi-channel>" +
          std::to_string(options.midiChannel + 1) + "</midi-channel><midi-program>" +
          std::to_string(options.midiProgram + 1) +
          "</midi-program></midi-instrument></score-part>\n"
          "  </part-list>\n"
          "  <part id=\"P1\">\n";
    Writer writer(out, q, chords);
    for (std::size_t b = 0; b < q.bars().size() && q.bars()[b].start < end; ++b) {
        const Bar& bar = q.bars()[b];
        std::string head;
        if (b == 0) {
            head = firstAttributes(bar, tuning) +
                   "      <direction placement=\"above\"><direction-type><metronome>"
                   "<beat-unit>quarter</beat-unit><per-minute>" +
                   std::to_string(tempo) + "</per-minute></metronome></direction-type>" +
                   "<staff>1</staff><sound tempo=\"" + std::to_string(tempo) + "\"/></direction>\n";
        } else if (bar.newMeter) {
            head = "      <attributes>" + timeXml(bar) + "</attributes>\n";
        }
        writer.measure(b, head);
    }
    out += "  </part>\n</score-partwise>\n";
    return "";
}

FileResult exportMusicXml(const Song& song, const Frets& tuning, std::string_view tempoText,
                          const MusicXmlOptions& options, const std::filesystem::path& path) {
    int tempo = 0;
    std::string problem = parseSmfTempo(tempoText, tempo);
    std::string xml;
    if (problem.empty())
        problem = composeMusicXml(song, tuning, tempo, options, xml);
    if (!problem.empty())
        return FileResult::Failure(FileFailure::Content, problem);
    std::string extension = path.extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return writeFileAtomically(path, extension == ".mxl" ? packMxl(xml) : xml);
}

} // namespace cadenzo
