#include "seq/undo.h"

#include "seq/transfer.h"

#include <algorithm>
#include <mutex>

namespace cadenzo {

namespace {

constexpr std::int32_t EMPTY_CLIP = static_cast<std::int32_t>(END_TICK);

// Drops step 0 while step `building` (not yet counted, its records not yet copied) is being
// recorded: the records and entries above it move down by step 0's share.
void DropOldestStep(UndoHistory &history, int building) {
    auto &entries = history.undoEntries;
    const std::int32_t d = entries[1].start;
    std::copy(history.undoPool.begin() + d, history.undoPool.begin() + entries[building].start,
              history.undoPool.begin());
    for (int k = 1; k <= building + 1; ++k) {
        entries[k - 1] = entries[k];
        entries[k - 1].start -= d;
    }
    entries[building + 1] = UndoEntry{};
    --history.undoCount;
}

} // namespace

void PushUndo(UndoHistory &history, const Song &song, std::int32_t a, std::int32_t b) {
    if (a > b)
        std::swap(a, b);
    auto &entries = history.undoEntries;
    int n = history.undoCount;
    entries[n].first = a;
    entries[n].last = b;
    if (n == 0)
        entries[0].start = 0;

    const int i = song.FindInRange(a, b);
    const int j = song.FindInRange(b, a);
    const std::int32_t records = i < 0 ? 1 : j - i + 1;
    entries[n + 1].start = entries[n].start + records;

    // Room in the pool: the oldest steps give way to the new one.
    if (entries[n + 1].start >= UNDO_POOL_RECORDS && n > 0) {
        DropOldestStep(history, n);
        --n;
        while (entries[n + 1].start > UNDO_POOL_RECORDS && n > 0) {
            DropOldestStep(history, n);
            --n;
        }
    }

    SongEvent *out = history.undoPool.data() + entries[n].start;
    if (i < 0) {
        *out = SongEvent{}; // the placeholder: tick END_TICK
    } else {
        std::copy(song.songEvents.begin() + i, song.songEvents.begin() + j + 1, out);
    }
    ++history.undoCount;
}

EditResult Undo(UndoHistory &history, Song &song, int scrollMax) {
    EditResult result;
    if (history.undoCount == 0)
        return result;
    std::lock_guard lock(song.mutex);
    const int n = --history.undoCount;
    const UndoEntry step = history.undoEntries[n];
    song.ClearRange(step.first, step.last);
    // Compact before the saved events come back, so that a full song has room for them.
    song.SortEvents();
    for (std::int32_t r = step.start; r < history.undoEntries[n + 1].start; ++r) {
        const SongEvent &saved = history.undoPool[r];
        if (saved.isEnd())
            continue;
        if (!EnterEvent(song, saved, scrollMax, result))
            result.status = FULL_SONG_NOTICE;
    }
    song.SortEvents();
    song.edit.anchorTick = step.first;
    song.edit.cursorTick = step.first;
    history.undoEntries[n + 1] = UndoEntry{};
    result.eventsChanged = true;
    result.refreshFields = true;
    return result;
}

namespace {

EditResult TakeSelection(Song &song, std::uint8_t mode) {
    EditState &edit = song.edit;
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

EditResult Cut(Song &song) {
    return TakeSelection(song, 1);
}

EditResult Copy(Song &song) {
    return TakeSelection(song, 2);
}

EditResult Paste(UndoHistory &history, Song &song, std::int32_t dest) {
    EditResult result;
    EditState &edit = song.edit;
    if (edit.clipStart == EMPTY_CLIP && edit.clipEnd == EMPTY_CLIP)
        return result;
    const int i = song.FindInRange(edit.clipStart, edit.clipEnd);
    if (i < 0)
        return result;
    const int j = song.FindInRange(edit.clipEnd, 0);
    const std::int64_t offset = std::int64_t{dest} - edit.clipStart;
    const bool moving = edit.clipMode == 1;

    // Count what the list would hold afterwards before changing anything.
    std::int64_t count = song.eventCount - (moving ? j - i + 1 : 0);
    for (int k = i; k <= j; ++k) {
        const std::int64_t to = song.songEvents[k].signedTick() + offset;
        if (to < 0 || to > MAX_TICK) {
            if (moving)
                ++count; // the source stays
            continue;
        }
        const int standing = song.FindEvent(static_cast<std::int32_t>(to));
        const bool freed = moving && standing >= i && standing <= j;
        if (standing < 0 || freed)
            ++count;
    }
    if (count > MAX_EVENTS) {
        result.status = FULL_SONG_NOTICE;
        return result;
    }

    std::lock_guard lock(song.mutex);
    if (moving)
        PushUndo(history, song, edit.clipStart, edit.clipEnd);
    PushUndo(history, song, static_cast<std::int32_t>(song.songEvents[i].signedTick() + offset),
             static_cast<std::int32_t>(song.songEvents[j].signedTick() + offset));

    const int copies = j - i + 1;
    std::copy(song.songEvents.begin() + i, song.songEvents.begin() + j + 1,
              history.pasteBuffer.begin());
    auto landsInRange = [offset](const SongEvent &e) {
        const std::int64_t to = e.signedTick() + offset;
        return to >= 0 && to <= MAX_TICK;
    };
    if (moving) {
        for (int k = 0; k < copies; ++k) {
            const SongEvent &e = history.pasteBuffer[k];
            if (landsInRange(e))
                song.ClearRange(e.signedTick(), e.signedTick());
        }
        // Compact so the moved events find the slots their sources left.
        song.SortEvents();
    }
    for (int k = 0; k < copies; ++k) {
        SongEvent e = history.pasteBuffer[k];
        if (!landsInRange(e))
            continue;
        e.tick = static_cast<std::uint32_t>(e.signedTick() + offset);
        song.PutEvent(e);
    }
    song.SortEvents();
    edit.clipMode = 0;
    edit.clipStart = EMPTY_CLIP;
    edit.clipEnd = EMPTY_CLIP;
    result.eventsChanged = true;
    return result;
}

} // namespace cadenzo
