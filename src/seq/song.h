#pragma once

#include "model/guitar.h"
#include "model/relaxed.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace cadenzo {

inline constexpr std::int32_t TICKS_PER_QUARTER = 480;
// The song's tempo in quarter notes per minute, as the tempo box allows it, for playback and
// export alike.
inline constexpr int MIN_TEMPO = 30;
inline constexpr int MAX_TEMPO = 300;
// The editor addresses ticks 0..MAX_TICK: 100 bars of 4/4.
inline constexpr std::int32_t MAX_TICK = 192000;
// The tick of the end marker and of every free slot. Read as a signed value (-1) by the editing
// operations and as an unsigned one (after every event) by playback.
inline constexpr std::uint32_t END_TICK = 0xFFFFFFFF;
inline constexpr int MAX_EVENTS = 2000;
// One slot more than MAX_EVENTS: the end marker is always present.
inline constexpr int EVENT_SLOTS = MAX_EVENTS + 1;
inline constexpr int BAR_COUNT = 100;
inline constexpr int METER_ENTRIES = BAR_COUNT + 1;
// Every tick the editor produces is a multiple of this; range look-ups only look at these.
inline constexpr std::int32_t TICK_RASTER = 40;

// One strummed chord. The layout is also the song file's event record, byte for byte, so the
// reserved bytes are kept (and written as 0).
struct SongEvent {
    std::uint32_t tick = END_TICK;
    Frets frets{SILENT, SILENT, SILENT, SILENT, SILENT, SILENT};
    std::uint8_t velocity = 0;
    std::uint8_t reserved1 = 0;
    std::int32_t gate = 0;
    std::uint8_t strokeDir = 0; // 0 down, 1 up; anything else plays down
    std::array<std::uint8_t, 3> reserved2{};
    std::int32_t strokeTime = 0;
    std::uint8_t root = 0;      // item of Chord1: 0 = no chord name, 1..12 = C..B
    std::uint8_t chordType = 0; // item of Chord2, 0..23
    std::array<std::uint8_t, 2> reserved3{};

    // The tick as the editing operations compare it (END_TICK reads as -1).
    std::int32_t signedTick() const { return static_cast<std::int32_t>(tick); }
    bool isEnd() const { return tick == END_TICK; }
    friend bool operator==(const SongEvent&, const SongEvent&) = default;
};
inline constexpr std::size_t EVENT_RECORD_SIZE = 28;
static_assert(sizeof(SongEvent) == EVENT_RECORD_SIZE);
static_assert(offsetof(SongEvent, tick) == 0);
static_assert(offsetof(SongEvent, frets) == 4);
static_assert(offsetof(SongEvent, velocity) == 10);
static_assert(offsetof(SongEvent, gate) == 12);
static_assert(offsetof(SongEvent, strokeDir) == 16);
static_assert(offsetof(SongEvent, strokeTime) == 20);
static_assert(offsetof(SongEvent, root) == 24);
static_assert(offsetof(SongEvent, chordType) == 25);

// The 28 little-endian bytes of the record, reserved bytes as 0; and back (reserved bytes
// ignored). Independent of the machine's byte order.
void encodeEvent(const SongEvent& event, std::uint8_t* out);
SongEvent decodeEvent(const std::uint8_t* in);

struct MeterEntry {
    std::uint8_t num = 4;      // beats per bar, 1..16
    std::uint8_t den = 4;      // beat unit: 1, 2, 4, 8 or 16
    std::uint32_t endTick = 0; // tick at which this bar ends and the next begins
    std::uint8_t changed = 0;  // 1 when the signature differs from the bar before
};
using MeterTable = std::array<MeterEntry, METER_ENTRIES>;

// Ticks of one bar of num/den: num x (16 div den) x 120. 0 for a denominator that is not
// 1..16 (it cannot be entered; a file's signatures are checked before they reach the table).
std::int32_t barTicks(int num, int den);
// True for a signature the editor can produce: num 1..16, den one of 1, 2, 4, 8, 16.
bool validMeter(int num, int den);

// Bar arithmetic on a meter table (the Song members below forward to these).
int barAtOrAfter(const MeterTable& meter, std::int32_t t);
int barOfTick(const MeterTable& meter, std::int32_t t);
std::int32_t barLength(const MeterTable& meter, int n);
// endTick of entries 1..100 from their signatures; entry 0 ends at 0.
void recomputeBarEnds(MeterTable& meter);

// The editing state the sequence view, the editing commands and playback share.
// viewBar and viewStartTick are also read by the playback tick (play line, paging): they are
// written by the window thread only, read from any thread.
struct EditState {
    std::int32_t cursorTick = 0;
    std::int32_t anchorTick = 0;
    Relaxed<std::int32_t> viewBar{0};
    Relaxed<std::int32_t> viewStartTick{0};
    std::int32_t mouseTick = 0;
    std::int32_t clipStart = static_cast<std::int32_t>(END_TICK);
    std::int32_t clipEnd = static_cast<std::int32_t>(END_TICK);
    std::uint8_t clipMode = 0;
    std::int32_t tripletGrid = 0;
    std::int32_t stepIndex = 3;
    // The view's horizontal scale (`seq_Grid`, 1..4) and the width of `seq_screen` in pixels
    // (window width - 95; 422 - 95 on a first run). Read by the play line.
    Relaxed<int> zoom{2};
    Relaxed<int> seqWidth{327};
};

// The one song of the program: event list, time signatures, song-level values and the editing
// state. Owned by the application for the whole run; nothing here allocates per operation.
//
// Thread rules: only the window thread writes. The playback tick reads songEvents, eventCount
// and meterTable under `mutex`. Every operation that moves or writes slots (insertEvent,
// clearRange, sortEvents, setMeter, resetSong) takes the lock itself; a caller that makes several
// of them in a row (clear, then sort) holds the lock around the whole edit so the tick never sees
// the list between two steps. Reads from the window thread need no lock.
struct Song {
    mutable std::recursive_mutex mutex;

    std::array<SongEvent, EVENT_SLOTS> songEvents{};
    std::uint32_t eventCount = 0;
    // Counts the changes that may have moved slots of the list (insertEvent, clearRange,
    // sortEvents, resetSong; an edit that writes slots itself ends with sortEvents). Written under
    // `mutex`: the playback tick compares it with the count it last saw and, when it differs,
    // finds its place in the changed list by tick, whichever way the edit came.
    std::uint32_t listChanges = 0;
    MeterTable meterTable{};

    std::string songName;
    std::string songPath;
    std::uint8_t smfVolume = 100;
    std::uint8_t smfReverb = 40;
    std::uint8_t smfChorus = 0;
    // Where playback starts; written by the window thread, drawn by the view.
    Relaxed<std::int32_t> playTick{0};

    EditState edit;

    Song();

    // Slot holding exactly tick t (signed), or -1. Looks at all slots.
    int findEvent(std::int32_t t) const;
    // First slot whose tick is END_TICK or >= t (signed).
    int firstEventAtOrAfter(std::int32_t t) const;
    // The first event met walking the multiples of 40 from `from` to `to` (both included), in the
    // direction of `to`; -1 when none. (a, b) gives the first event of a span, (b, a) the last.
    int findInRange(std::int32_t from, std::int32_t to) const;
    // The same answer by the tick-by-tick walk the range operations are defined by; kept as the
    // reference that findInRange is checked against.
    int findInRangeByWalk(std::int32_t from, std::int32_t to) const;
    // Stores a copy: replaces the event at the same tick, or appends it after the last event
    // (the list is unsorted until sortEvents). Returns true ("full") when 2000 events are stored
    // afterwards. An event that does not fit, or that carries the end marker's tick, is not
    // stored.
    bool insertEvent(const SongEvent& event);
    // Marks every slot whose tick lies in [min(a,b), max(a,b)] as deleted; sortEvents compacts.
    void clearRange(std::int32_t a, std::int32_t b);
    // Compaction, stable ordering by tick, then gates (and stroke times) cut at the next event.
    void sortEvents();

    int barAtOrAfter(std::int32_t t) const { return cadenzo::barAtOrAfter(meterTable, t); }
    int barOfTick(std::int32_t t) const { return cadenzo::barOfTick(meterTable, t); }
    std::int32_t barLength(int n) const { return cadenzo::barLength(meterTable, n); }
    // Bars n..100 become num/den (nothing happens for n > 100 or n < 1: entry 0 is the origin
    // and no edit alters it).
    void setMeter(int n, std::uint8_t num, std::uint8_t den);
    // "%4d : %2d : %03d": bar, beat in the bar, tick in the beat. Past the end of bar 100 the
    // bars are counted on in bar 100's signature (bar 101, 102, ...); a negative tick reads as 0.
    std::string positionText(std::int32_t t) const;

    // Empties the list, resets the song-level values and the signatures to 4/4. The editing
    // state stays. (Stopping playback first and refreshing the fields is the caller's part.)
    void resetSong();

    // The scroll bar of the view moved to `position`: the view begins at bar position + 1.
    void scrollView(int position);
};

} // namespace cadenzo
