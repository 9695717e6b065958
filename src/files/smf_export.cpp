#include "files/smf_export.h"

#include "files/atomic_file.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <limits>

namespace cadenzo {

namespace {

constexpr std::uint8_t NOTE_ON = 0x90;
constexpr std::uint8_t NOTE_OFF = 0x80;
constexpr std::uint8_t PROGRAM_CHANGE = 0xC0;
constexpr std::uint8_t CONTROL_CHANGE = 0xB0;
constexpr std::int64_t NO_TICK = std::numeric_limits<std::int64_t>::max();

// The published system-on messages, as written after the delta.
constexpr std::uint8_t gmReset[] = {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
constexpr std::uint8_t xgReset[] = {0xF0, 0x08, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
constexpr std::uint8_t gsReset[] = {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12,
                                    0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};

void Append(std::vector<std::uint8_t>& out, std::initializer_list<std::uint8_t> bytes) {
    out.insert(out.end(), bytes);
}

void appendText(std::vector<std::uint8_t>& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}

void putU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<std::uint8_t>(value >> 24);
    out[at + 1] = static_cast<std::uint8_t>(value >> 16);
    out[at + 2] = static_cast<std::uint8_t>(value >> 8);
    out[at + 3] = static_cast<std::uint8_t>(value);
}

std::string outOfRange(const char* what, int value, int low, int high) {
    return "The " + std::string(what) + " " + std::to_string(value) + " is outside " +
           std::to_string(low) + ".." + std::to_string(high) + ".";
}

// log2 of a denominator the editor can produce (1, 2, 4, 8, 16).
std::uint8_t denominatorPower(std::uint8_t den) {
    std::uint8_t power = 0;
    while ((1u << power) < den)
        ++power;
    return power;
}

// A controller the options ask for.
struct SmfController {
    std::int64_t tick;
    std::uint8_t number;
    std::uint8_t value;
};

// The pending lists of one track, merged by tick; on equal ticks the list that comes first here
// is written first.
enum PendingList { TEMPO, METER, PROGRAM, CONTROLLER, NOTE, LIST_COUNT };

class TrackWriter {
public:
    explicit TrackWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    // The lists are merged in tick order and the end of track lies after all of them, so a delta
    // is never negative.
    void delta(std::int64_t tick) {
        assert(tick >= lastTick_ && tick <= SMF_MAX_TICK);
        writeVarLen(out_, static_cast<std::uint32_t>(tick - lastTick_));
        lastTick_ = tick;
    }
    void name(std::string_view text) {
        delta(0);
        Append(out_, {0xFF, 0x03});
        writeVarLen(out_, static_cast<std::uint32_t>(text.size()));
        appendText(out_, text);
    }
    void bytes(std::int64_t tick, const std::uint8_t* data, std::size_t size) {
        delta(tick);
        out_.insert(out_.end(), data, data + size);
    }
    void tempo(std::int64_t tick, int quartersPerMinute) {
        const auto micros = static_cast<std::uint32_t>(60000000 / quartersPerMinute);
        delta(tick);
        Append(out_, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(micros >> 16),
                      static_cast<std::uint8_t>(micros >> 8), static_cast<std::uint8_t>(micros)});
    }
    void meter(const SmfMeter& m) {
        delta(m.tick);
        Append(out_, {0xFF, 0x58, 0x04, m.num, denominatorPower(m.den), 0x18, 0x08});
    }
    void message(std::int64_t tick, std::initializer_list<std::uint8_t> data) {
        delta(tick);
        Append(out_, data);
    }
    void end(std::int64_t tick) {
        delta(tick);
        Append(out_, {0xFF, 0x2F, 0x00});
    }

private:
    std::vector<std::uint8_t>& out_;
    std::int64_t lastTick_ = 0;
};

// The events of the list: slots up to eventCount, never past the end marker.
int listedEvents(const Song& song) {
    const int count = static_cast<int>(std::min<std::uint32_t>(song.eventCount, MAX_EVENTS));
    for (int i = 0; i < count; ++i)
        if (song.songEvents[static_cast<std::size_t>(i)].isEnd())
            return i;
    return count;
}

// The listed events in tick order. The editor keeps the list sorted; a song file need not be, and
// the notes of an event must be collected after those of every earlier event.
std::vector<int> eventsByTick(const Song& song) {
    std::vector<int> order(static_cast<std::size_t>(listedEvents(song)));
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return song.songEvents[static_cast<std::size_t>(a)].tick <
               song.songEvents[static_cast<std::size_t>(b)].tick;
    });
    return order;
}

} // namespace

int smfProgramItem(int midiProgram) {
    const int item = midiProgram - SMF_FIRST_PROGRAM;
    return item >= 0 && item < static_cast<int>(smfProgramItems.size()) ? item : -1;
}

SmfOptions initialSmfOptions(const Song& song, int midiChannel, int midiProgram,
                             std::string fileName) {
    SmfOptions options;
    options.format = SMF_FORMAT1_SINGLE;
    options.init = SMF_INIT_NONE;
    options.channel = midiChannel + 1;
    options.programItem = smfProgramItem(midiProgram);
    options.midiProgram = midiProgram;
    options.volume = song.smfVolume;
    options.reverb = song.smfReverb;
    options.chorus = song.smfChorus;
    options.fileName = std::move(fileName);
    return options;
}

int smfProgram(const SmfOptions& options) {
    return options.programItem >= 0 ? options.programItem + SMF_FIRST_PROGRAM : options.midiProgram;
}

std::string checkSmfOptions(const SmfOptions& options) {
    if (options.format < 0 || options.format >= static_cast<int>(smfFormatItems.size()))
        return "The format item " + std::to_string(options.format) + " is not one of the " +
               std::to_string(smfFormatItems.size()) + " layouts.";
    if (options.init < 0 || options.init >= static_cast<int>(smfInitItems.size()))
        return "The reset item " + std::to_string(options.init) + " is not one of the " +
               std::to_string(smfInitItems.size()) + " reset messages.";
    if (options.channel < 1 || options.channel > 16)
        return outOfRange("channel", options.channel, 1, 16);
    if (options.programItem < -1 || options.programItem >= static_cast<int>(smfProgramItems.size()))
        return "The program item " + std::to_string(options.programItem) + " is not one of the " +
               std::to_string(smfProgramItems.size()) + " guitars.";
    if (options.programItem < 0 && (options.midiProgram < 0 || options.midiProgram > 127))
        return outOfRange("program", options.midiProgram, 0, 127);
    if (options.volumeOn && (options.volume < 0 || options.volume > 127))
        return outOfRange("volume", options.volume, 0, 127);
    if (options.reverbOn && (options.reverb < 0 || options.reverb > 127))
        return outOfRange("reverb", options.reverb, 0, 127);
    if (options.chorusOn && (options.chorus < 0 || options.chorus > 127))
        return outOfRange("chorus", options.chorus, 0, 127);
    if (options.fileName.empty())
        return "No file name is given.";
    if (options.fileName.size() > static_cast<std::size_t>(SMF_MAX_TICK))
        return "The file name is too long.";
    return "";
}

std::string parseSmfInteger(std::string_view text, const char* what, int& value) {
    std::string_view digits = text;
    while (!digits.empty() && digits.front() == ' ')
        digits.remove_prefix(1);
    while (!digits.empty() && digits.back() == ' ')
        digits.remove_suffix(1);
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    int parsed = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
    if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size())
        return "The " + std::string(what) + " \"" + std::string(text) + "\" is not an integer.";
    value = parsed;
    return "";
}

std::string parseSmfTempo(std::string_view text, int& tempo) {
    int value = 0;
    if (std::string problem = parseSmfInteger(text, "tempo", value); !problem.empty())
        return problem;
    if (value < MIN_TEMPO || value > MAX_TEMPO)
        return outOfRange("tempo", value, MIN_TEMPO, MAX_TEMPO);
    tempo = value;
    return "";
}

void writeVarLen(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0 && count < 4);
    while (count > 1)
        out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

void writeSmfHeader(std::vector<std::uint8_t>& out, int format, int trackCount) {
    appendText(out, "MThd");
    Append(out, {0, 0, 0, 6, 0, static_cast<std::uint8_t>(format), 0,
                 static_cast<std::uint8_t>(trackCount), SMF_DIVISION >> 8, SMF_DIVISION & 0xFF});
}

std::vector<SmfNote> collectNotes(const Song& song, const Frets& tuning, int channel, int first,
                                  int last) {
    const auto on = static_cast<std::uint8_t>(NOTE_ON + channel - 1);
    const auto off = static_cast<std::uint8_t>(NOTE_OFF + channel - 1);
    std::vector<SmfNote> notes;
    const std::vector<int> events = eventsByTick(song);
    notes.reserve(events.size() * 2 * static_cast<std::size_t>(std::max(0, last - first + 1)));
    for (int i : events) {
        const SongEvent& e = song.songEvents[static_cast<std::size_t>(i)];
        const std::int64_t start = std::int64_t{e.tick} + LEAD_IN_TICKS;
        const std::int64_t release = start + e.gate;
        const std::int64_t spread = std::max(0, e.strokeTime / 6);
        const std::uint8_t velocity = std::min<std::uint8_t>(e.velocity, 127);
        std::array<int, STRING_COUNT> order{5, 4, 3, 2, 1, 0};
        if (e.strokeDir == 1)
            order = {0, 1, 2, 3, 4, 5};

        std::array<bool, STRING_COUNT> sounds{};
        std::int64_t t = start;
        for (int s : order) {
            const std::uint8_t fret = e.frets[static_cast<std::size_t>(s)];
            if (fret == SILENT)
                continue;
            const int note = stringMidiNote(fret, tuning[static_cast<std::size_t>(s)]);
            if (s + 1 >= first && s + 1 <= last && t <= release && isMidiNote(note)) {
                sounds[static_cast<std::size_t>(s)] = true;
                notes.push_back({t, on, static_cast<std::uint8_t>(note), velocity});
            }
            t += spread;
        }
        for (int s : order)
            if (sounds[static_cast<std::size_t>(s)])
                notes.push_back(
                    {release, off,
                     static_cast<std::uint8_t>(stringMidiNote(e.frets[static_cast<std::size_t>(s)],
                                                              tuning[static_cast<std::size_t>(s)])),
                     0});
    }
    // A gate reaching past the next event puts its note-offs after that event's note-ons. Within
    // one tick the order of collection stays: an event's note-offs before the next event's
    // note-ons, and a note-on before its own note-off.
    if (!std::is_sorted(notes.begin(), notes.end(),
                        [](const SmfNote& a, const SmfNote& b) { return a.tick < b.tick; }))
        std::stable_sort(notes.begin(), notes.end(),
                         [](const SmfNote& a, const SmfNote& b) { return a.tick < b.tick; });
    return notes;
}

std::vector<SmfMeter> collectMeters(const MeterTable& meterTable) {
    std::vector<SmfMeter> meters;
    meters.push_back({0, meterTable[0].num, meterTable[0].den});
    for (std::size_t k = 1; k < meterTable.size(); ++k)
        if (meterTable[k].changed == 1)
            meters.push_back({std::int64_t{meterTable[k - 1].endTick} + LEAD_IN_TICKS,
                              meterTable[k].num, meterTable[k].den});
    return meters;
}

std::int64_t smfEndTick(const Song& song, const Frets& tuning) {
    const int events = listedEvents(song);
    std::int64_t end = LEAD_IN_TICKS;
    if (events > 0) {
        const SongEvent& lastEvent = song.songEvents[static_cast<std::size_t>(events - 1)];
        end = std::max(end, std::int64_t{lastEvent.tick} + lastEvent.gate + LEAD_IN_TICKS);
    }
    const std::vector<SmfNote> notes = collectNotes(song, tuning, 1, 1, STRING_COUNT);
    if (!notes.empty())
        end = std::max(end, notes.back().tick);
    return std::max(end, collectMeters(song.meterTable).back().tick);
}

std::vector<SmfTrack> smfTracks(int format) {
    if (format == SMF_FORMAT0)
        return {{SmfTrackKind::A, 1, STRING_COUNT, true}};
    if (format == SMF_FORMAT1_SINGLE)
        return {{SmfTrackKind::C, 0, 0, false}, {SmfTrackKind::B, 1, STRING_COUNT, true}};
    std::vector<SmfTrack> tracks{{SmfTrackKind::C, 0, 0, false}};
    for (int s = 1; s <= STRING_COUNT; ++s)
        tracks.push_back({SmfTrackKind::B, s, s, s == 1});
    return tracks;
}

void buildTrack(std::vector<std::uint8_t>& out, const SmfContext& context, const SmfTrack& track) {
    const SmfOptions& options = context.options;
    const bool conductor = track.kind != SmfTrackKind::B;
    const bool strings = track.kind != SmfTrackKind::C;

    appendText(out, "MTrk");
    const std::size_t lengthAt = out.size();
    Append(out, {0, 0, 0, 0});
    TrackWriter w(out);

    if (conductor)
        w.name(options.fileName);
    if (track.withReset) {
        switch (options.init) {
        case SMF_INIT_GM:
            w.bytes(0, gmReset, sizeof gmReset);
            break;
        case SMF_INIT_XG:
            w.bytes(0, xgReset, sizeof xgReset);
            break;
        case SMF_INIT_GS:
            w.bytes(0, gsReset, sizeof gsReset);
            break;
        default:
            break;
        }
    }

    std::vector<SmfMeter> meters;
    std::vector<SmfController> controllers;
    std::vector<SmfNote> notes;
    const bool hasTempo = conductor;
    bool hasProgram = false;
    if (conductor)
        meters = collectMeters(context.song.meterTable);
    if (strings) {
        hasProgram = true;
        if (options.volumeOn)
            controllers.push_back(
                {SMF_VOLUME_TICK, CC_VOLUME, static_cast<std::uint8_t>(options.volume)});
        if (options.reverbOn)
            controllers.push_back(
                {SMF_REVERB_TICK, CC_REVERB, static_cast<std::uint8_t>(options.reverb)});
        if (options.chorusOn)
            controllers.push_back(
                {SMF_CHORUS_TICK, CC_CHORUS, static_cast<std::uint8_t>(options.chorus)});
        notes = collectNotes(context.song, context.tuning, options.channel, track.firstString,
                             track.lastString);
    }

    // Merge: the smallest head tick wins; on equal ticks the earlier list.
    std::array<std::size_t, LIST_COUNT> next{};
    const std::array<std::size_t, LIST_COUNT> sizes{
        hasTempo ? 1u : 0u, meters.size(), hasProgram ? 1u : 0u, controllers.size(), notes.size()};
    auto headTick = [&](int list) -> std::int64_t {
        if (next[static_cast<std::size_t>(list)] == sizes[static_cast<std::size_t>(list)])
            return NO_TICK;
        const std::size_t i = next[static_cast<std::size_t>(list)];
        switch (list) {
        case TEMPO:
            return 0;
        case METER:
            return meters[i].tick;
        case PROGRAM:
            return SMF_PROGRAM_TICK;
        case CONTROLLER:
            return controllers[i].tick;
        default:
            return notes[i].tick;
        }
    };
    const auto channel = static_cast<std::uint8_t>(options.channel - 1);
    for (;;) {
        int pick = -1;
        std::int64_t pickTick = NO_TICK;
        for (int list = 0; list < LIST_COUNT; ++list) {
            const std::int64_t tick = headTick(list);
            if (tick < pickTick) {
                pick = list;
                pickTick = tick;
            }
        }
        if (pick < 0)
            break;
        const std::size_t i = next[static_cast<std::size_t>(pick)]++;
        switch (pick) {
        case TEMPO:
            w.tempo(0, context.tempo);
            break;
        case METER:
            w.meter(meters[i]);
            break;
        case PROGRAM:
            w.message(pickTick, {static_cast<std::uint8_t>(PROGRAM_CHANGE + channel),
                                 static_cast<std::uint8_t>(smfProgram(options))});
            break;
        case CONTROLLER:
            w.message(pickTick, {static_cast<std::uint8_t>(CONTROL_CHANGE + channel),
                                 controllers[i].number, controllers[i].value});
            break;
        default:
            w.message(pickTick, {notes[i].status, notes[i].note, notes[i].velocity});
            break;
        }
    }
    w.end(context.endTick);
    putU32(out, lengthAt, static_cast<std::uint32_t>(out.size() - lengthAt - 4));
}

std::string composeSmf(const Song& song, const Frets& tuning, int tempo, const SmfOptions& options,
                       std::vector<std::uint8_t>& out) {
    out.clear();
    if (std::string problem = checkSmfOptions(options); !problem.empty())
        return problem;
    if (tempo < MIN_TEMPO || tempo > MAX_TEMPO)
        return outOfRange("tempo", tempo, MIN_TEMPO, MAX_TEMPO);
    for (std::size_t k = 0; k < song.meterTable.size(); ++k) {
        const MeterEntry& m = song.meterTable[k];
        if ((k == 0 || m.changed == 1) && !validMeter(m.num, m.den))
            return "The time signature " + std::to_string(m.num) + "/" + std::to_string(m.den) +
                   " of bar " + std::to_string(k) + " cannot be written.";
    }
    const std::int64_t endTick = smfEndTick(song, tuning);
    if (endTick > SMF_MAX_TICK)
        return "The song ends at tick " + std::to_string(endTick) +
               ", beyond the last tick a Standard MIDI File can hold (" +
               std::to_string(SMF_MAX_TICK) + ").";

    const std::vector<SmfTrack> tracks = smfTracks(options.format);
    writeSmfHeader(out, options.format == SMF_FORMAT0 ? 0 : 1, static_cast<int>(tracks.size()));
    const SmfContext context{song, tuning, tempo, options, endTick};
    for (const SmfTrack& track : tracks)
        buildTrack(out, context, track);
    return "";
}

FileResult exportSmf(const Song& song, const Frets& tuning, std::string_view tempoText,
                     const SmfOptions& options) {
    int tempo = 0;
    std::string problem = parseSmfTempo(tempoText, tempo);
    std::vector<std::uint8_t> bytes;
    if (problem.empty())
        problem = composeSmf(song, tuning, tempo, options, bytes);
    if (!problem.empty())
        return FileResult::Failure(FileFailure::Content, problem);
    return writeFileAtomically(
        options.fileName,
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

} // namespace cadenzo
