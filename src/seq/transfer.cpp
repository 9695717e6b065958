#include "seq/transfer.h"

#include "seq/meter_step.h"
#include "seq/seq_geometry.h"

#include <algorithm>
#include <mutex>

namespace cadenzo {

namespace {

int cursorX(const Song& song, std::int32_t t) {
    const ViewGeometry view{song.edit.viewStartTick, song.edit.zoom};
    return tickToX(song.meterTable, view, t);
}

void ScrollTo(Song& song, int position, int scrollMax, EditResult& result) {
    position = std::clamp(position, 0, std::max(0, scrollMax));
    if (position != song.edit.viewBar) {
        song.scrollView(position);
        result.scrolled = true;
    }
}

bool allSilent(const Frets& frets) {
    return std::all_of(frets.begin(), frets.end(), [](std::uint8_t f) { return f == SILENT; });
}

} // namespace

bool EnterEvent(Song& song, const SongEvent& event, int scrollMax, EditResult& result) {
    bool stored = true;
    {
        std::lock_guard lock(song.mutex);
        stored = song.findEvent(event.signedTick()) >= 0 || song.eventCount < MAX_EVENTS;
        song.insertEvent(event);
        song.sortEvents();
    }
    advanceAfterEntry(song, event.signedTick(), scrollMax, result);
    return stored;
}

void advanceAfterEntry(Song& song, std::int32_t eventTick, int scrollMax, EditResult& result) {
    EditState& edit = song.edit;
    edit.clipStart = static_cast<std::int32_t>(END_TICK);
    edit.clipEnd = static_cast<std::int32_t>(END_TICK);
    edit.clipMode = 0;

    const std::int32_t step = stepAfter(song, eventTick);
    if (std::int64_t{edit.cursorTick} + step < MAX_TICK) {
        edit.cursorTick += step;
        edit.anchorTick = edit.cursorTick;
    }
    if (cursorX(song, edit.cursorTick) > song.edit.seqWidth)
        ScrollTo(song, edit.viewBar + 1, scrollMax, result);
    result.eventsChanged = true;
}

EditResult enterHeldChord(UndoHistory& history, Song& song, const Guitar& guitar,
                          const TransferContext& context) {
    EditResult result;
    EditState& edit = song.edit;
    if (song.eventCount >= MAX_EVENTS) {
        result.status = FULL_SONG_NOTICE;
        return result;
    }
    const Frets frets = guitar.currentFrets();
    if (allSilent(frets))
        return result;
    if (song.barAtOrAfter(edit.cursorTick) > BAR_COUNT)
        return result;

    std::lock_guard lock(song.mutex);
    pushUndo(history, song, edit.cursorTick, edit.cursorTick);

    SongEvent event;
    const int standing = song.findEvent(edit.cursorTick);
    if (standing >= 0) {
        event = song.songEvents[standing];
    } else {
        event.tick = static_cast<std::uint32_t>(edit.cursorTick);
        event.velocity = DEFAULT_ENTRY_VELOCITY;
        event.gate = DEFAULT_ENTRY_GATE;
        event.strokeTime = DEFAULT_ENTRY_STROKE_TIME;
        event.strokeDir = edit.cursorTick % TICKS_PER_QUARTER == 0 ? 0 : 1;
    }
    event.frets = frets;
    event.root = static_cast<std::uint8_t>(context.chord1Index);
    event.chordType = static_cast<std::uint8_t>(context.chord2Index);

    // An entry outside the view brings the view to one bar before the entry's bar.
    const int x = cursorX(song, event.signedTick());
    if (x == -1 || x > context.windowWidth)
        ScrollTo(song, song.barAtOrAfter(event.signedTick()) - 2, context.scrollMax, result);

    EnterEvent(song, event, context.scrollMax, result);
    result.refreshFields = true;
    song.sortEvents();
    return result;
}

EditResult sendEventToFretboard(Song& song, Guitar& guitar) {
    EditResult result;
    const int found = song.findEvent(song.edit.cursorTick);
    if (found >= 0) {
        guitar.setFrets(song.songEvents[found].frets);
        guitar.findNeckPos();
        song.edit.cursorTick = song.edit.anchorTick;
    }
    result.fretboardChanged = true;
    return result;
}

EditResult deleteSelectedEvents(UndoHistory& history, Song& song) {
    EditResult result;
    EditState& edit = song.edit;
    std::lock_guard lock(song.mutex);
    if (song.findInRange(edit.anchorTick, edit.cursorTick) >= 0)
        pushUndo(history, song, edit.anchorTick, edit.cursorTick);
    song.clearRange(edit.anchorTick, edit.cursorTick);
    edit.anchorTick = edit.cursorTick;
    song.sortEvents();
    result.eventsChanged = true;
    result.refreshFields = true;
    return result;
}

} // namespace cadenzo
