#include "seq/undo.h"

#include "seq/transfer.h"

#include <algorithm>
#include <mutex>

namespace cadenzo {

namespace {

constexpr std::int32_t EMPTY_CLIP = static_cast<std::int32_t>(END_TICK);

// Drops step 0 while step `building` (not yet counted, its records not yet copied) is being
// recorded: the records and entries above it move down by step 0's share.
void dropOldestStep(UndoHistory& history, int building) {
    auto& entries = history.undoEntries;
    const std::int32_t d = entries[1].start;
    std::copy(history.undoPool.begin() + d, history.undoPool.begin() + entries[building].start,
              history.undoPool.begin());
    for (int k = 1; k <= building + 1; ++k) {
        entries[k - 1] = entries[k];
        entries[k - 1].start -= d;
        history.undoBefore[k - 1] = history.undoBefore[k];
    }
    entries[building + 1] = UndoEntry{};
    history.undoBefore[building + 1] = SongEvent{};
    --history.undoCount;
}

} // namespace

void pushUndo(UndoHistory& history, const Song& song, std::int32_t a, std::int32_t b) {
    if (a > b)
        std::swap(a, b);
    auto& entries = history.undoEntries;
    int n = history.undoCount;
    entries[n].first = a;
    entries[n].last = b;
    if (n == 0)
        entries[0].start = 0;

    int i = song.findInRange(a, b);
    int j = song.findInRange(b, a);
    if (i > j)
        std::swap(i, j); // only on a list a caller left unsorted: still save a valid range
    const std::int32_t records = i < 0 ? 1 : j - i + 1;
    entries[n + 1].start = entries[n].start + records;

    // Room in the pool: the oldest steps give way to the new one.
    if (entries[n + 1].start >= UNDO_POOL_RECORDS && n > 0) {
        dropOldestStep(history, n);
        --n;
        while (entries[n + 1].start > UNDO_POOL_RECORDS && n > 0) {
            dropOldestStep(history, n);
            --n;
        }
    }

    SongEvent* out = history.undoPool.data() + entries[n].start;
    if (i < 0) {
        *out = SongEvent{}; // the placeholder: tick END_TICK
    } else {
        std::copy(song.songEvents.begin() + i, song.songEvents.begin() + j + 1, out);
    }
    const auto* events = song.songEvents.data();
    const auto* next =
        std::lower_bound(events, events + song.eventCount, a,
                         [](const SongEvent& e, std::int32_t v) { return e.signedTick() < v; });
    history.undoBefore[n] = next != events ? *(next - 1) : SongEvent{};
    ++history.undoCount;
}

namespace {

// Index of the first of the first `count` (sorted) events whose tick is >= t, or > t.
int lowerBound(const Song& song, std::int32_t t) {
    const auto* first = song.songEvents.data();
    return static_cast<int>(
        std::lower_bound(first, first + song.eventCount, t,
                         [](const SongEvent& e, std::int32_t v) { return e.signedTick() < v; }) -
        first);
}
int upperBound(const Song& song, std::int32_t t) {
    const auto* first = song.songEvents.data();
    return static_cast<int>(
        std::upper_bound(first, first + song.eventCount, t,
                         [](std::int32_t v, const SongEvent& e) { return v < e.signedTick(); }) -
        first);
}

// The slots from `count` up are free again.
void freeTail(Song& song, std::uint32_t count) {
    std::fill(song.songEvents.begin() + count, song.songEvents.end(), SongEvent{});
    song.eventCount = count;
}

} // namespace

// Clearing the span and entering the saved events one by one (each stored, then the list sorted)
// comes down to putting the saved events, which are sorted and lie inside the span, in place of
// the span's events in one move. A full song takes the saved events in order while there is room.
EditResult undoLastEdit(UndoHistory& history, Song& song, int scrollMax) {
    EditResult result;
    if (history.undoCount == 0)
        return result;
    std::lock_guard lock(song.mutex);
    const int n = --history.undoCount;
    const UndoEntry step = history.undoEntries[n];
    const SongEvent* saved = history.undoPool.data() + step.start;
    int records = history.undoEntries[n + 1].start - step.start;
    if (records == 1 && saved[0].isEnd())
        records = 0;

    song.sortEvents(); // a list left unsorted by a caller is put right first
    const int lo = lowerBound(song, step.first);
    const int hi = upperBound(song, step.last);
    const std::uint32_t kept = song.eventCount - static_cast<std::uint32_t>(hi - lo);
    const int stored = std::min<int>(records, MAX_EVENTS - static_cast<int>(kept));
    if (stored < records)
        result.status = FULL_SONG_NOTICE;
    const std::uint32_t count = kept + static_cast<std::uint32_t>(stored);
    auto& events = song.songEvents;
    if (lo + stored > hi)
        std::copy_backward(events.begin() + hi, events.begin() + song.eventCount,
                           events.begin() + count);
    else
        std::copy(events.begin() + hi, events.begin() + song.eventCount,
                  events.begin() + lo + stored);
    std::copy(saved, saved + stored, events.begin() + lo);
    if (count < song.eventCount)
        freeTail(song, count);
    song.eventCount = count;
    // The event before the span gets back what the edit's sort cut from it. It is found as it was
    // but for a shorter gate and stroke time; gone (a cut's source, taken back by its own step) or
    // another event there (another song since), it is left alone.
    const SongEvent& before = history.undoBefore[n];
    if (const int k = before.isEnd() ? -1 : song.findEvent(before.signedTick()); k >= 0) {
        SongEvent restored = events[k];
        restored.gate = before.gate;
        restored.strokeTime = before.strokeTime;
        if (restored == before && events[k].gate <= before.gate &&
            events[k].strokeTime <= before.strokeTime)
            events[k] = restored;
    }
    song.sortEvents();

    for (int r = 0; r < records; ++r)
        advanceAfterEntry(song, saved[r].signedTick(), scrollMax, result);
    song.edit.anchorTick = step.first;
    song.edit.cursorTick = step.first;
    history.undoEntries[n + 1] = UndoEntry{};
    history.undoBefore[n] = SongEvent{};
    result.eventsChanged = true;
    result.refreshFields = true;
    return result;
}

namespace {

EditResult takeSelection(Song& song, std::uint8_t mode) {
    EditState& edit = song.edit;
    const std::int32_t anchor = std::clamp(edit.anchorTick, 0, MAX_TICK);
    const std::int32_t cursor = std::clamp(edit.cursorTick, 0, MAX_TICK);
    edit.clipStart = std::min(anchor, cursor);
    edit.clipEnd = std::max(anchor, cursor);
    edit.anchorTick = anchor;
    edit.cursorTick = anchor;
    edit.clipMode = mode;
    EditResult result;
    result.eventsChanged = true;
    return result;
}

} // namespace

EditResult cutSelection(Song& song) {
    return takeSelection(song, 1);
}

EditResult copySelection(Song& song) {
    return takeSelection(song, 2);
}

// Deleting the moved sources one by one, storing each copy (replacing what stands at its tick)
// and sorting comes down to one merge of the remaining list with the shifted copies, both sorted.
// The merge is composed aside, so a paste that does not fit changes nothing.
EditResult pasteAt(UndoHistory& history, Song& song, std::int32_t dest) {
    EditResult result;
    EditState& edit = song.edit;
    if (edit.clipStart == EMPTY_CLIP && edit.clipEnd == EMPTY_CLIP)
        return result;
    std::lock_guard lock(song.mutex);
    const int i = song.findInRange(edit.clipStart, edit.clipEnd);
    if (i < 0)
        return result;
    const int j = song.findInRange(edit.clipEnd, 0);
    const std::int64_t offset = std::int64_t{dest} - edit.clipStart;
    const bool moving = edit.clipMode == 1;
    const auto& events = song.songEvents;
    // Copies past the editor's last tick are left out; sorted, so they are the last ones.
    int m = j;
    while (m >= i && events[m].signedTick() + offset > MAX_TICK)
        --m;

    auto& merged = history.pasteBuffer;
    int out = 0;
    int src = 0;
    const int count = static_cast<int>(song.eventCount);
    auto emit = [&](const SongEvent& e) {
        if (out == MAX_EVENTS)
            return false;
        merged[out++] = e;
        return true;
    };
    bool fits = true;
    for (int c = i; c <= m && fits; ++c) {
        SongEvent copy = events[c];
        copy.tick = static_cast<std::uint32_t>(copy.signedTick() + offset);
        for (; src < count && events[src].signedTick() < copy.signedTick() && fits; ++src)
            if (!(moving && src >= i && src <= m))
                fits = emit(events[src]);
        if (src < count && events[src].signedTick() == copy.signedTick())
            ++src; // replaced by the copy
        fits = fits && emit(copy);
    }
    for (; src < count && fits; ++src)
        if (!(moving && src >= i && src <= m))
            fits = emit(events[src]);
    if (!fits) {
        result.status = FULL_SONG_NOTICE;
        return result;
    }

    if (moving)
        pushUndo(history, song, edit.clipStart, edit.clipEnd);
    pushUndo(history, song, static_cast<std::int32_t>(events[i].signedTick() + offset),
             static_cast<std::int32_t>(events[j].signedTick() + offset));
    std::copy(merged.begin(), merged.begin() + out, song.songEvents.begin());
    freeTail(song, static_cast<std::uint32_t>(out));
    song.sortEvents();
    edit.clipMode = 0;
    edit.clipStart = EMPTY_CLIP;
    edit.clipEnd = EMPTY_CLIP;
    result.eventsChanged = true;
    return result;
}

} // namespace cadenzo
