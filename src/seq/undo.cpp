#include "seq/undo.h"

#include "seq/transfer.h"

#include <algorithm>
#include <mutex>

namespace cadenzo {

namespace {

constexpr std::int32_t EMPTY_CLIP = static_cast<std::int32_t>(END_TICK);

// Drops undo step 0 while step `building` (not yet counted, its records not yet copied) is being
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

// Drops redo step 0, the one that would be redone last: the newer redo steps move up by its share.
void dropFarthestRedoStep(UndoHistory& history) {
    auto& entries = history.undoEntries;
    auto& pool = history.undoPool;
    const int m = history.redoCount;
    const std::int32_t low = entries[UndoHistory::redoSlot(m - 1)].start;
    const std::int32_t d = history.redoStepRecords(0);
    std::copy_backward(pool.begin() + low, pool.begin() + (UNDO_POOL_RECORDS - d), pool.end());
    for (int k = 1; k < m; ++k) {
        entries[UndoHistory::redoSlot(k - 1)] = entries[UndoHistory::redoSlot(k)];
        entries[UndoHistory::redoSlot(k - 1)].start += d;
        history.undoBefore[UndoHistory::redoSlot(k - 1)] =
            history.undoBefore[UndoHistory::redoSlot(k)];
    }
    entries[UndoHistory::redoSlot(m - 1)] = UndoEntry{};
    history.undoBefore[UndoHistory::redoSlot(m - 1)] = SongEvent{};
    --history.redoCount;
}

void clearRedoSteps(UndoHistory& history) {
    for (int k = 0; k < history.redoCount; ++k) {
        history.undoEntries[UndoHistory::redoSlot(k)] = UndoEntry{};
        history.undoBefore[UndoHistory::redoSlot(k)] = SongEvent{};
    }
    history.redoCount = 0;
}

// What a step keeps: its span, its events (none: the placeholder) and the event before the span.
struct StepContent {
    std::int32_t first = 0;
    std::int32_t last = 0;
    const SongEvent* events = nullptr;
    std::int32_t count = 0;
    SongEvent before;
};

void copyRecords(const StepContent& step, SongEvent* out) {
    if (step.count == 0)
        *out = SongEvent{}; // the placeholder: tick END_TICK
    else
        std::copy(step.events, step.events + step.count, out);
}

// Records a new undo step on top of the undo steps. An edit's step that would fill the pool to
// the last record already makes the oldest give way, as it always has.
void addUndoStep(UndoHistory& history, const StepContent& step) {
    auto& entries = history.undoEntries;
    int n = history.undoCount;
    entries[n].first = step.first;
    entries[n].last = step.last;
    if (n == 0)
        entries[0].start = 0;
    entries[n + 1].start = entries[n].start + std::max(step.count, 1);

    // Room in the pool: the oldest steps give way to the new one, then the farthest redo steps.
    const auto top = [&] { return UNDO_POOL_RECORDS - history.redoRecords(); };
    if (entries[n + 1].start >= top() && n > 0) {
        dropOldestStep(history, n);
        --n;
        while (entries[n + 1].start > top() && n > 0) {
            dropOldestStep(history, n);
            --n;
        }
    }
    while (entries[n + 1].start > top() && history.redoCount > 0)
        dropFarthestRedoStep(history);

    copyRecords(step, history.undoPool.data() + entries[n].start);
    history.undoBefore[n] = step.before;
    ++history.undoCount;
}

// Records a new redo step, the next one Redo puts back.
void addRedoStep(UndoHistory& history, const StepContent& step) {
    const std::int32_t records = std::max(step.count, 1);
    while (history.usedRecords() + history.redoRecords() + records > UNDO_POOL_RECORDS) {
        if (history.undoCount > 0)
            dropOldestStep(history, history.undoCount); // with no step being built above it
        else
            dropFarthestRedoStep(history);
    }
    const int slot = UndoHistory::redoSlot(history.redoCount);
    const std::int32_t start = UNDO_POOL_RECORDS - history.redoRecords() - records;
    history.undoEntries[slot] = UndoEntry{step.first, step.last, start};
    copyRecords(step, history.undoPool.data() + start);
    history.undoBefore[slot] = step.before;
    ++history.redoCount;
}

// The event just before tick a on a sorted list, or the end marker.
SongEvent eventBefore(const Song& song, std::int32_t a) {
    const auto* events = song.songEvents.data();
    const auto* next =
        std::lower_bound(events, events + song.eventCount, a,
                         [](const SongEvent& e, std::int32_t v) { return e.signedTick() < v; });
    return next != events ? *(next - 1) : SongEvent{};
}

} // namespace

void pushUndo(UndoHistory& history, const Song& song, std::int32_t a, std::int32_t b) {
    if (a > b)
        std::swap(a, b);
    clearRedoSteps(history);
    int i = song.findInRange(a, b);
    int j = song.findInRange(b, a);
    if (i > j)
        std::swap(i, j); // only on a list a caller left unsorted: still save a valid range
    addUndoStep(history, StepContent{a, b, song.songEvents.data() + std::max(i, 0),
                                     i < 0 ? 0 : j - i + 1, eventBefore(song, a)});
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

// Which way a step is taken: an undo gives the event before the span back a gate and stroke time
// the edit cut; a redo gives it back whatever the undo had found.
enum class StepWay { Undo, Redo };

// Clearing the span and entering the saved events one by one (each stored, then the list sorted)
// comes down to putting the saved events, which are sorted and lie inside the span, in place of
// the span's events in one move. A full song takes the saved events in order while there is room.
// What the span held, and the event before it, are kept in the paste buffer for the opposite
// step, which is recorded last: the pool may give the taken step's records to it.
EditResult takeStep(UndoHistory& history, Song& song, int scrollMax, const StepContent& step,
                    StepWay way) {
    EditResult result;
    song.sortEvents(); // a list left unsorted by a caller is put right first
    const int lo = lowerBound(song, step.first);
    const int hi = upperBound(song, step.last);
    auto& events = song.songEvents;
    std::copy(events.begin() + lo, events.begin() + hi, history.pasteBuffer.begin());
    const StepContent replaced{step.first, step.last, history.pasteBuffer.data(), hi - lo,
                               eventBefore(song, step.first)};

    const int records = step.count;
    const std::uint32_t kept = song.eventCount - static_cast<std::uint32_t>(hi - lo);
    const int stored = std::min<int>(records, MAX_EVENTS - static_cast<int>(kept));
    if (stored < records)
        result.status = FULL_SONG_NOTICE;
    const std::uint32_t count = kept + static_cast<std::uint32_t>(stored);
    if (lo + stored > hi)
        std::copy_backward(events.begin() + hi, events.begin() + song.eventCount,
                           events.begin() + count);
    else
        std::copy(events.begin() + hi, events.begin() + song.eventCount,
                  events.begin() + lo + stored);
    std::copy(step.events, step.events + stored, events.begin() + lo);
    if (count < song.eventCount)
        freeTail(song, count);
    song.eventCount = count;
    // The event before the span gets back its gate and stroke time. It is found as it was but for
    // those (after an edit: shorter); gone (a cut's source, taken back by its own step) or another
    // event there (another song since), it is left alone.
    const SongEvent& before = step.before;
    if (const int k = before.isEnd() ? -1 : song.findEvent(before.signedTick()); k >= 0) {
        SongEvent restored = events[k];
        restored.gate = before.gate;
        restored.strokeTime = before.strokeTime;
        if (restored == before &&
            (way == StepWay::Redo ||
             (events[k].gate <= before.gate && events[k].strokeTime <= before.strokeTime)))
            events[k] = restored;
    }
    song.sortEvents();

    for (int r = 0; r < records; ++r)
        advanceAfterEntry(song, step.events[r].signedTick(), scrollMax, result);
    song.edit.anchorTick = step.first;
    song.edit.cursorTick = step.first;
    result.eventsChanged = true;
    result.refreshFields = true;

    if (way == StepWay::Undo) {
        const int n = --history.undoCount;
        history.undoEntries[n + 1] = UndoEntry{};
        history.undoBefore[n] = SongEvent{};
        addRedoStep(history, replaced);
    } else {
        const int slot = UndoHistory::redoSlot(--history.redoCount);
        history.undoEntries[slot] = UndoEntry{};
        history.undoBefore[slot] = SongEvent{};
        addUndoStep(history, replaced);
    }
    return result;
}

// A placeholder record stands for no events.
StepContent savedStep(const UndoHistory& history, int slot, std::int32_t records) {
    const UndoEntry& entry = history.undoEntries[slot];
    const SongEvent* saved = history.undoPool.data() + entry.start;
    if (records == 1 && saved[0].isEnd())
        records = 0;
    return {entry.first, entry.last, saved, records, history.undoBefore[slot]};
}

} // namespace

EditResult undoLastEdit(UndoHistory& history, Song& song, int scrollMax) {
    if (history.undoCount == 0)
        return {};
    std::lock_guard lock(song.mutex);
    const int n = history.undoCount - 1;
    return takeStep(history, song, scrollMax, savedStep(history, n, history.stepRecords(n)),
                    StepWay::Undo);
}

EditResult redoLastUndo(UndoHistory& history, Song& song, int scrollMax) {
    if (history.redoCount == 0)
        return {};
    std::lock_guard lock(song.mutex);
    const int k = history.redoCount - 1;
    return takeStep(history, song, scrollMax,
                    savedStep(history, UndoHistory::redoSlot(k), history.redoStepRecords(k)),
                    StepWay::Redo);
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
    if (m < i)
        return result; // none lands within reach: as with an empty span, nothing happens

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
    result.refreshFields = true; // the pasted events may lie under the cursor
    return result;
}

} // namespace cadenzo
