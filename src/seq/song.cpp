#include "seq/song.h"

#include <algorithm>
#include <cstdio>

namespace cadenzo {

namespace {

void putU32(std::uint8_t* out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t getU32(const std::uint8_t* in) {
    return std::uint32_t{in[0]} | (std::uint32_t{in[1]} << 8) | (std::uint32_t{in[2]} << 16) |
           (std::uint32_t{in[3]} << 24);
}

// A deleted slot: what clearRange leaves for sortEvents to remove.
void markDeleted(SongEvent& e) {
    e.tick = END_TICK;
    e.frets.fill(SILENT);
    e.velocity = 0;
    e.gate = 0;
    e.strokeDir = 0;
    e.strokeTime = 0;
}

} // namespace

void encodeEvent(const SongEvent& e, std::uint8_t* out) {
    std::fill(out, out + EVENT_RECORD_SIZE, std::uint8_t{0});
    putU32(out, e.tick);
    std::copy(e.frets.begin(), e.frets.end(), out + 4);
    out[10] = e.velocity;
    putU32(out + 12, static_cast<std::uint32_t>(e.gate));
    out[16] = e.strokeDir;
    putU32(out + 20, static_cast<std::uint32_t>(e.strokeTime));
    out[24] = e.root;
    out[25] = e.chordType;
}

SongEvent decodeEvent(const std::uint8_t* in) {
    SongEvent e;
    e.tick = getU32(in);
    std::copy(in + 4, in + 10, e.frets.begin());
    e.velocity = in[10];
    e.gate = static_cast<std::int32_t>(getU32(in + 12));
    e.strokeDir = in[16];
    e.strokeTime = static_cast<std::int32_t>(getU32(in + 20));
    e.root = in[24];
    e.chordType = in[25];
    return e;
}

std::int32_t barTicks(int num, int den) {
    if (den < 1 || den > 16)
        return 0;
    return num * (16 / den) * 120;
}

bool validMeter(int num, int den) {
    return num >= 1 && num <= 16 && (den == 1 || den == 2 || den == 4 || den == 8 || den == 16);
}

int barAtOrAfter(const MeterTable& meter, std::int32_t t) {
    for (int k = 0; k < METER_ENTRIES; ++k)
        if (static_cast<std::int32_t>(meter[k].endTick) >= t)
            return k + 1;
    return METER_ENTRIES + 1;
}

int barOfTick(const MeterTable& meter, std::int32_t t) {
    int bars = 0;
    for (const MeterEntry& m : meter)
        if (static_cast<std::int32_t>(m.endTick) <= t)
            ++bars;
    return bars;
}

std::int32_t barLength(const MeterTable& meter, int n) {
    if (n < 1)
        return 0;
    if (n > BAR_COUNT)
        return static_cast<std::int32_t>(meter[BAR_COUNT].endTick);
    return static_cast<std::int32_t>(meter[n].endTick - meter[n - 1].endTick);
}

void recomputeBarEnds(MeterTable& meter) {
    meter[0].endTick = 0;
    for (int k = 1; k < METER_ENTRIES; ++k)
        meter[k].endTick =
            meter[k - 1].endTick + static_cast<std::uint32_t>(barTicks(meter[k].num, meter[k].den));
}

Song::Song() {
    resetSong();
}

int Song::findEvent(std::int32_t t) const {
    for (int i = 0; i < EVENT_SLOTS; ++i)
        if (songEvents[i].signedTick() == t)
            return i;
    return -1;
}

int Song::firstEventAtOrAfter(std::int32_t t) const {
    for (int i = 0; i < EVENT_SLOTS; ++i)
        if (songEvents[i].isEnd() || songEvents[i].signedTick() >= t)
            return i;
    return EVENT_SLOTS - 1; // unreachable while the end marker is present
}

int Song::findInRangeByWalk(std::int32_t from, std::int32_t to) const {
    const std::int64_t step = to >= from ? 1 : -1;
    for (std::int64_t t = from;; t += step) {
        if (t % TICK_RASTER == 0) {
            const int i = findEvent(static_cast<std::int32_t>(t));
            if (i >= 0)
                return i;
        }
        if (t == to)
            return -1;
    }
}

// One pass over the slots instead of a scan per raster tick: the walk finds the raster tick
// nearest `from` that holds an event, and for that tick findEvent's lowest slot.
int Song::findInRange(std::int32_t from, std::int32_t to) const {
    const bool upward = to >= from;
    const std::int32_t lo = upward ? from : to;
    const std::int32_t hi = upward ? to : from;
    int best = -1;
    std::int32_t bestTick = 0;
    for (int i = 0; i < EVENT_SLOTS; ++i) {
        const std::int32_t t = songEvents[i].signedTick();
        if (t < lo || t > hi || t % TICK_RASTER != 0)
            continue;
        if (best < 0 || (upward ? t < bestTick : t > bestTick)) {
            best = i;
            bestTick = t;
        }
    }
    return best;
}

bool Song::insertEvent(const SongEvent& event) {
    std::lock_guard lock(mutex);
    ++listChanges;
    if (event.isEnd())
        return eventCount >= MAX_EVENTS;
    const int found = findEvent(event.signedTick());
    if (found >= 0) {
        songEvents[found] = event;
    } else if (eventCount < MAX_EVENTS) {
        songEvents[eventCount] = event;
        ++eventCount;
    }
    return eventCount >= MAX_EVENTS;
}

void Song::clearRange(std::int32_t a, std::int32_t b) {
    std::lock_guard lock(mutex);
    ++listChanges;
    if (a > b)
        std::swap(a, b);
    for (SongEvent& e : songEvents)
        if (e.signedTick() >= a && e.signedTick() <= b)
            markDeleted(e);
}

void Song::sortEvents() {
    std::lock_guard lock(mutex);
    ++listChanges;
    // Compaction: close the gaps left by deleted slots in one pass, keeping the order; the freed
    // top slots take END_TICK.
    const std::uint32_t count = std::min<std::uint32_t>(eventCount, MAX_EVENTS);
    std::uint32_t kept = 0;
    for (std::uint32_t i = 0; i < count; ++i)
        if (!songEvents[i].isEnd())
            songEvents[kept++] = songEvents[i];
    for (std::uint32_t i = kept; i < count; ++i)
        songEvents[i] = SongEvent{};
    eventCount = kept;

    // Stable insertion sort by signed tick: an event moves behind every event of its own tick
    // that stood before it, so events a file brought at one tick keep their file order.
    const auto byTick = [](std::int32_t t, const SongEvent& e) { return t < e.signedTick(); };
    for (std::uint32_t i = 1; i < eventCount; ++i) {
        if (songEvents[i - 1].signedTick() > songEvents[i].signedTick()) {
            const SongEvent moving = songEvents[i];
            const auto at = std::upper_bound(songEvents.begin(), songEvents.begin() + i,
                                             moving.signedTick(), byTick);
            std::copy_backward(at, songEvents.begin() + i, songEvents.begin() + i + 1);
            *at = moving;
        }
    }

    // A chord ends where the next one begins.
    for (std::uint32_t i = 0; i + 1 < eventCount; ++i) {
        SongEvent& e = songEvents[i];
        const std::int64_t next = songEvents[i + 1].signedTick();
        if (std::int64_t{e.signedTick()} + e.gate > next) {
            e.gate = static_cast<std::int32_t>(next - e.signedTick());
            if (e.strokeTime > e.gate)
                e.strokeTime = e.gate;
        }
    }
}

void Song::setMeter(int n, std::uint8_t num, std::uint8_t den) {
    if (n < 1 || n > BAR_COUNT)
        return;
    std::lock_guard lock(mutex);
    for (int k = n; k < METER_ENTRIES; ++k) {
        MeterEntry& m = meterTable[k];
        m.num = num;
        m.den = den;
        m.changed = 0;
        m.endTick = meterTable[k - 1].endTick + static_cast<std::uint32_t>(barTicks(num, den));
    }
    if (meterTable[n - 1].num != num || meterTable[n - 1].den != den)
        meterTable[n].changed = 1;
}

std::string Song::positionText(std::int32_t t) const {
    t = std::max(t, 0);
    int bar = barOfTick(t);
    int sigBar = std::min(bar, BAR_COUNT);
    std::int64_t offset = std::int64_t{t} - meterTable[sigBar - 1].endTick;
    if (bar > BAR_COUNT) {
        // Bars past the last one continue in its signature.
        const std::int64_t last = barLength(BAR_COUNT);
        offset = std::int64_t{t} - meterTable[BAR_COUNT].endTick;
        if (last > 0) {
            bar = BAR_COUNT + 1 + static_cast<int>(offset / last);
            offset %= last;
        }
    }
    const std::int64_t beatLength = barTicks(1, meterTable[sigBar].den);
    const std::int64_t beat = beatLength > 0 ? offset / beatLength + 1 : 1;
    const std::int64_t inBeat = beatLength > 0 ? offset % beatLength : offset;
    char text[64];
    std::snprintf(text, sizeof text, "%4d : %2lld : %03lld", bar, static_cast<long long>(beat),
                  static_cast<long long>(inBeat));
    return text;
}

void Song::resetSong() {
    std::lock_guard lock(mutex);
    ++listChanges;
    eventCount = 0;
    smfVolume = 100;
    smfReverb = 40;
    smfChorus = 0;
    playTick = 0;
    for (SongEvent& e : songEvents) {
        e.tick = END_TICK;
        e.frets.fill(SILENT);
        e.velocity = 0;
        e.gate = 0;
    }
    meterTable[0] = MeterEntry{4, 4, 0, 1};
    for (int k = 1; k < METER_ENTRIES; ++k)
        meterTable[k] = MeterEntry{4, 4, static_cast<std::uint32_t>(1920 * k), 0};
}

void Song::scrollView(int position) {
    position = std::clamp(position, 0, BAR_COUNT);
    edit.viewBar = position;
    edit.viewStartTick = static_cast<std::int32_t>(meterTable[position].endTick);
}

} // namespace cadenzo
