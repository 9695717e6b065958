#include "files/song_file.h"
#include "model/guitar.h"
#include "seq/event_fields.h"
#include "seq/meter_step.h"
#include "seq/seq_geometry.h"
#include "seq/seq_mouse.h"
#include "seq/song.h"
#include "seq/transfer.h"
#include "seq/undo.h"
#include "support/song_events.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace cadenzo::testing {
namespace {

// Undo restores every byte: the sort cuts the gate of the event in front of an edited span.
using Snapshot = std::vector<SongEvent>;

Snapshot take(const Song& song) {
    return {song.songEvents.begin(), song.songEvents.begin() + song.eventCount};
}

// On the heap: the undo history alone is larger than a comfortable stack frame.
class EditingTest : public ::testing::Test {
protected:
    std::unique_ptr<Song> songPtr = std::make_unique<Song>();
    std::unique_ptr<UndoHistory> historyPtr = std::make_unique<UndoHistory>();
    Song& song = *songPtr;
    UndoHistory& history = *historyPtr;
    Guitar guitar;
    TransferContext context;
    std::mt19937 rng; // seeded by the randomised tests

    EditingTest() { guitar.setFrets({0, 1, 0, 2, 3, SILENT}); }
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    static SongEvent Event(std::int32_t tick, std::uint8_t velocity = 90, std::int32_t gate = 40,
                           std::int32_t strokeTime = 20) {
        return test::MakeEvent(tick, {3, 2, 0, 0, 3, 3}, velocity, gate, strokeTime);
    }
    void put(std::int32_t tick, std::uint8_t velocity = 90, std::int32_t gate = 40,
             std::int32_t strokeTime = 20) {
        song.insertEvent(Event(tick, velocity, gate, strokeTime));
        song.sortEvents();
    }
    const SongEvent& At(std::int32_t tick) const { return song.songEvents[song.findEvent(tick)]; }

    void select(std::int32_t anchor, std::int32_t cursor) {
        song.edit.anchorTick = anchor;
        song.edit.cursorTick = cursor;
    }

    void Fill(std::uint32_t count, std::int32_t from = 0) {
        for (std::int32_t t = from; song.eventCount < count; t += TICK_RASTER)
            song.insertEvent(Event(t));
        song.sortEvents();
    }
};

using ::testing::AssertionFailure;

::testing::AssertionResult SongInvariantsHold(const Song& song) {
    if (song.eventCount > static_cast<std::uint32_t>(MAX_EVENTS))
        return AssertionFailure() << "eventCount " << song.eventCount;
    for (std::uint32_t i = 0; i < song.eventCount; ++i) {
        const SongEvent& e = song.songEvents[i];
        if (e.isEnd())
            return AssertionFailure() << "end marker inside the list at " << i;
        if (i + 1 < song.eventCount) {
            const std::int32_t next = song.songEvents[i + 1].signedTick();
            if (e.signedTick() >= next)
                return AssertionFailure() << "ticks not increasing at " << i;
            if (std::int64_t{e.signedTick()} + e.gate > next)
                return AssertionFailure() << "gate past the next event at " << i;
        }
    }
    for (int i = static_cast<int>(song.eventCount); i < EVENT_SLOTS; ++i)
        if (!song.songEvents[i].isEnd())
            return AssertionFailure() << "slot " << i << " past the list is used";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult HistoryInvariantsHold(const UndoHistory& history) {
    if (history.undoCount < 0 || history.redoCount < 0 ||
        history.undoCount + history.redoCount >= UNDO_ENTRY_SLOTS - 1)
        return AssertionFailure() << "steps " << history.undoCount << "+" << history.redoCount;
    if (history.usedRecords() + history.redoRecords() > UNDO_POOL_RECORDS)
        return AssertionFailure() << "pool holds " << history.usedRecords() << "+"
                                  << history.redoRecords();
    if (history.undoCount > 0 && history.undoEntries[0].start != 0)
        return AssertionFailure() << "step 0 does not start the pool";
    // Undo steps from slot 0 up, then redo steps from the last slot down.
    for (int s = 0; s < history.undoCount + history.redoCount; ++s) {
        const bool undo = s < history.undoCount;
        const int slot = undo ? s : UndoHistory::redoSlot(s - history.undoCount);
        const UndoEntry& e = history.undoEntries[slot];
        const int records =
            undo ? history.stepRecords(s) : history.redoStepRecords(s - history.undoCount);
        if (e.first > e.last)
            return AssertionFailure() << "slot " << slot << " span reversed";
        if (records < 1)
            return AssertionFailure() << "slot " << slot << " owns no record";
        for (std::int32_t r = e.start; r < e.start + records; ++r) {
            const SongEvent& saved = history.undoPool[r];
            if (saved.isEnd() ? records != 1
                              : saved.signedTick() < e.first || saved.signedTick() > e.last)
                return AssertionFailure() << "slot " << slot << " record " << r;
        }
    }
    return ::testing::AssertionSuccess();
}

using UndoTest = EditingTest;

// The callers' own checks rely on the list never growing past 2000.
TEST(SongModel, InsertEventStopsAtTwoThousandYetReplaces) {
    Song song;
    EXPECT_FALSE(song.insertEvent(test::MakeEvent(END_TICK)));
    for (int i = 0; i <= MAX_EVENTS; ++i)
        EXPECT_EQ(song.insertEvent(test::MakeEvent(i * 40)), i >= MAX_EVENTS - 1);
    EXPECT_EQ(song.eventCount, static_cast<std::uint32_t>(MAX_EVENTS));
    for (int i = MAX_EVENTS; i < EVENT_SLOTS; ++i)
        EXPECT_TRUE(song.songEvents[i].isEnd()) << "slot " << i;
    song.insertEvent(test::MakeEvent(40, {0, 1, 0, 2, 3, SILENT}, 100, 7, 0));
    EXPECT_EQ(song.songEvents[1], test::MakeEvent(40, {0, 1, 0, 2, 3, SILENT}, 100, 7, 0));
}

// Also unsorted lists, deleted slots, ticks off the raster and negative ticks; sorting compacts.
TEST(SongModel, FindInRangeMatchesTheTickByTickWalkOnRandomLists) {
    std::mt19937 rng(20261206);
    std::uniform_int_distribution<int> tickDist(-10, 120);
    std::uniform_int_distribution<int> countDist(0, 40);
    for (int round = 0; round < 200; ++round) {
        Song song;
        const int n = countDist(rng);
        for (int i = 0; i < n; ++i) {
            const int raw = tickDist(rng) * 40 + (rng() % 5 == 0 ? 20 : 0);
            song.insertEvent(test::MakeEvent(raw));
        }
        if (round % 3 == 0)
            song.clearRange(tickDist(rng) * 40, tickDist(rng) * 40);
        if (round % 2 == 0) {
            song.sortEvents();
            ASSERT_TRUE(SongInvariantsHold(song)); // also strictly ordered
        }
        for (int q = 0; q < 20; ++q) {
            const int from = tickDist(rng) * 40 + static_cast<int>(rng() % 40);
            const int to = tickDist(rng) * 40 + static_cast<int>(rng() % 40);
            ASSERT_EQ(song.findInRange(from, to), song.findInRangeByWalk(from, to))
                << "round " << round << " from " << from << " to " << to;
        }
    }
}

// A step that would pass the pool's 3000 records drops the oldest; the others still undo in order.
TEST_F(UndoTest, PoolLimitDropsTheOldestStepAndKeepsTheRestReachable) {
    for (int k = 0; k < 20; ++k)
        put(40 * k);
    // Every step marks the events it saved with its number, in two fret bytes.
    const auto step = [&](std::int32_t last, int mark) {
        if (mark > 0)
            pushUndo(history, song, 0, last);
        for (std::uint32_t i = 0; i < song.eventCount; ++i)
            if (song.songEvents[i].signedTick() <= last)
                song.songEvents[i].frets = {static_cast<std::uint8_t>(mark % 256),
                                            static_cast<std::uint8_t>(mark / 256)};
    };
    const auto markAt = [&](std::int32_t tick) {
        return At(tick).frets[0] + 256 * At(tick).frets[1];
    };
    step(760, 0);
    for (int k = 1; k < 300; ++k)
        step(360, k); // ten records each
    ASSERT_EQ(history.usedRecords(), 2990);
    // Ten more records fill the pool to the last one: that already makes step 1 give way.
    const auto probe = std::make_unique<UndoHistory>(history);
    pushUndo(*probe, song, 0, 360);
    EXPECT_EQ(std::pair(probe->undoCount, probe->usedRecords()), std::pair(299, 2990));
    step(760, 1000); // twenty more would pass 3000: step 1 gives way
    EXPECT_EQ(std::pair(history.undoCount, history.usedRecords()), std::pair(299, 3000));
    EXPECT_TRUE(HistoryInvariantsHold(history));
    undoLastEdit(history, song, 99);
    EXPECT_EQ(markAt(400), 0);
    for (int k = 299; k >= 1; --k) {
        ASSERT_EQ(markAt(0), k) << "before undoing step " << k;
        ASSERT_EQ(markAt(360), k);
        undoLastEdit(history, song, 99); // the last of these finds the dropped step gone
    }
    EXPECT_EQ(std::tuple(history.undoCount, song.eventCount, markAt(0)), std::tuple(0, 20u, 1));
}

// The event before the span gets its own short gate back; a full song takes what fits ("Over!").
TEST_F(UndoTest, RedoGivesBackTheSongBeforeItsUndoInAnotherSong) {
    put(0, 90, 960);
    pushUndo(history, song, 480, 480);
    song.resetSong();
    put(0, 90, 40);
    put(480, 70);
    const Snapshot before = take(song);
    undoLastEdit(history, song, 99);
    ASSERT_EQ(std::pair(song.eventCount, song.findEvent(0)), std::pair(1u, 0));
    EXPECT_EQ(At(0).gate, 960);
    EXPECT_EQ(redoLastUndo(history, song, 99).status, nullptr);
    EXPECT_EQ(take(song), before);
    undoLastEdit(history, song, 99);
    Fill(MAX_EVENTS, 520);
    EXPECT_STREQ(redoLastUndo(history, song, 99).status, FULL_SONG_NOTICE);
    EXPECT_EQ(song.findEvent(480), -1);
    EXPECT_EQ(std::tuple(history.undoCount, history.redoCount, song.edit.cursorTick),
              std::tuple(1, 0, 480));
}

// Undo rebuilds the list in one pass; held to entering the saved events one at a time.
class OneByOneTest : public EditingTest, public ::testing::WithParamInterface<unsigned> {
protected:
    std::unique_ptr<Song> refPtr = std::make_unique<Song>();
    Song& ref = *refPtr;

    OneByOneTest() { rng.seed(GetParam()); }

    void RandomSong() {
        const int count = Uniform(0, 3) == 0 ? Uniform(1900, MAX_EVENTS) : Uniform(0, 60);
        // Room for the events: spread + 1 raster ticks.
        const int spread = count > 100 ? 4800 : Uniform(count, 300);
        while (static_cast<int>(song.eventCount) < count) {
            SongEvent e =
                Event(Uniform(0, spread) * TICK_RASTER, static_cast<std::uint8_t>(Uniform(0, 127)),
                      Uniform(20, 2000), Uniform(0, 500));
            e.root = static_cast<std::uint8_t>(Uniform(0, 12));
            song.insertEvent(e);
        }
        song.sortEvents();
    }

    std::int32_t Near() { return Uniform(0, 400) * TICK_RASTER; }
};

TEST_P(OneByOneTest, UndoMatchesEnteringEachSavedEvent) {
    RandomSong();
    const std::int32_t a = Near();
    const std::int32_t b = Near();
    pushUndo(history, song, a, b);
    const std::vector<SongEvent> saved(history.undoPool.begin(),
                                       history.undoPool.begin() + history.stepRecords(0));
    // Another song, sometimes full but for the span, so that the saved events do not all fit.
    song.resetSong();
    RandomSong();
    if (Uniform(0, 2) == 0)
        Fill(MAX_EVENTS, std::max(a, b) + TICK_RASTER);
    ref.songEvents = song.songEvents, ref.eventCount = song.eventCount;
    ref.meterTable = song.meterTable, ref.edit = song.edit; // the clipboard's span and mode
    const EditResult r = undoLastEdit(history, song, 99);

    ref.clearRange(a, b);
    ref.sortEvents();
    bool full = false;
    for (const SongEvent& e : saved) {
        if (e.isEnd())
            continue;
        full = full || (ref.findEvent(e.signedTick()) < 0 && ref.eventCount == MAX_EVENTS);
        ref.insertEvent(e);
        ref.sortEvents();
    }
    // The rest of a free slot means nothing; its tick is the end marker.
    ASSERT_EQ(take(song), take(ref));
    EXPECT_TRUE(SongInvariantsHold(song));
    EXPECT_EQ(r.status != nullptr, full);
}

INSTANTIATE_TEST_SUITE_P(Seeds, OneByOneTest, ::testing::Range(1u, 151u));

// A gate ending on a changed bar line leaves the signature no room; bars past the song take none.
TEST(SeqGeometry, SignatureGapCountsOnlyChangesInsideTheSpan) {
    Song song;
    song.setMeter(0, 6, 8), song.setMeter(BAR_COUNT + 1, 6, 8);
    for (int k = 0; k < METER_ENTRIES; ++k)
        ASSERT_EQ(song.meterTable[k].num, 4) << "bar " << k;
    song.setMeter(3, 3, 4);
    EXPECT_EQ(std::tuple(signatureGap(song.meterTable, 0, 3840),
                         signatureGap(song.meterTable, 0, 3841),
                         signatureGap(song.meterTable, 3840, 9999)),
              std::tuple(0, SIGNATURE_SLOT, 0));
}

// Events at 0 and 480 selected (velocities 80 and 100, gate 240, stroke 60), 1920 not. A step is
// recorded even when nothing changes: the random editing test undoes such steps byte for byte.
TEST_F(EditingTest, FieldExitValidatesThenAppliesToEverySelectedEvent) {
    using enum FieldId;
    // (field, typed, the field afterwards, the selected events' value afterwards)
    // clang-format off
    const std::tuple<FieldId, const char*, const char*, std::int32_t> cases[] = {
        {Velocity, "", "0", 0}, /* untouched empty field */ {Velocity, "64", "64", 64},
        {Velocity, "300", "127", 127}, {Gate, "-5", "20", 20}, {Gate, "", "20", 20},
        {Gate, "19", "20", 20}, {Gate, "020", "020", 20}, {Velocity, "+0", "+0", 0},
        {Stroke, "+20", "+20", 20}, {Gate, "480", "479", 479}, /* never reaches 480 */
        {Stroke, "100", "100", 100}, {Stroke, "500", "240", 240}, /* up to the gate */
        {Stroke, "abc", "20", 20}};
    // clang-format on
    for (int n = 0; const auto& [id, typed, text, value] : cases) {
        EventFields fields;
        song.resetSong();
        for (const auto& [t, v] : {std::pair(0, 80), {480, 100}, {1920, 90}})
            put(t, static_cast<std::uint8_t>(v), 240, 60);
        select(0, 480);
        updateEventFields(fields, song, 0, 480);
        fields.Field(id).Type(typed);
        commitField(id, fields, song, history);
        const auto got = [&](const SongEvent& e) -> std::int32_t {
            return id == Velocity ? e.velocity : id == Gate ? e.gate : e.strokeTime;
        };
        EXPECT_EQ(std::tuple(fields.Field(id).text, got(At(0)), got(At(480)),
                             At(1920) == Event(1920, 90, 240, 60), history.undoCount),
                  std::tuple(std::string(text), value, value, true, ++n))
            << typed;
    }
}

// The editing rules as the user's guide states them, kept apart from the engine's arrays.
struct RuleModel {
    std::map<std::int32_t, SongEvent> chords;
    std::array<std::pair<int, int>, METER_ENTRIES> sig{}; // bar 0: 4/4, before the song
    std::int32_t cursor, anchor, clipStart, clipEnd;
    int clipMode, step, triplet;

    explicit RuleModel(const Song& s)
        : cursor(s.edit.cursorTick), anchor(s.edit.anchorTick), clipStart(s.edit.clipStart),
          clipEnd(s.edit.clipEnd), clipMode(s.edit.clipMode), step(s.edit.stepIndex),
          triplet(s.edit.tripletGrid) {
        for (std::uint32_t i = 0; i < s.eventCount; ++i)
            chords[s.songEvents[i].signedTick()] = s.songEvents[i];
        sig[0] = {4, 4};
        for (int k = 1; k < METER_ENTRIES; ++k)
            sig[k] = {s.meterTable[k].num, s.meterTable[k].den};
    }
    // A bar of n/d lasts n d-th notes of a 1920-tick whole note; bar 1 starts at 0.
    std::int32_t barStart(int bar) const {
        std::int32_t t = 0;
        for (int k = 1; k < bar; ++k)
            t += sig[k].first * 1920 / sig[k].second;
        return t;
    }
    // The bar that begins at t, or the next bar when t lies inside one (101: past the song).
    int barFrom(std::int32_t t) const {
        int bar = 1;
        while (bar <= BAR_COUNT && barStart(bar) < t)
            ++bar;
        return bar;
    }
    auto span(std::int32_t a, std::int32_t b) {
        return std::pair(chords.lower_bound(std::min(a, b)), chords.upper_bound(std::max(a, b)));
    }
    // A gate never reaches the next chord; a stroke cut with it never outlasts it.
    void cutGates() {
        for (auto it = chords.begin(); it != chords.end() && std::next(it) != chords.end(); ++it) {
            const std::int32_t room = std::next(it)->first - it->first;
            if (it->second.gate > room)
                it->second.gate = room,
                it->second.strokeTime = std::min(it->second.strokeTime, room);
        }
    }
    void enter(const Frets& frets, int root, int type) {
        if (chords.size() >= MAX_EVENTS ||
            std::all_of(frets.begin(), frets.end(), [](auto f) { return f == SILENT; }) ||
            barFrom(cursor) > BAR_COUNT)
            return;
        // Defaults where no chord stands: down on a quarter note, up between.
        auto [it, fresh] = chords.try_emplace(
            cursor, test::MakeEvent(cursor, frets, 100, 240, 60, cursor % 480 == 0 ? 0 : 1));
        it->second.frets = frets;
        it->second.root = static_cast<std::uint8_t>(root);
        it->second.chordType = static_cast<std::uint8_t>(type);
        cutGates();
        const int steps[] = {barStart(barFrom(cursor) + 1) - barStart(barFrom(cursor)), 960, 480,
                             240, triplet == 1 ? 80 : 120};
        if (cursor + steps[step >= 0 && step < 5 ? step : 3] < MAX_TICK)
            anchor = cursor += steps[step >= 0 && step < 5 ? step : 3];
        clipStart = clipEnd = static_cast<std::int32_t>(END_TICK), clipMode = 0;
    }
    void erase() {
        auto [from, to] = span(anchor, cursor);
        chords.erase(from, to);
        anchor = cursor;
    }
    void clip(bool cut) {
        clipStart = std::clamp(std::min(anchor, cursor), 0, MAX_TICK);
        clipEnd = std::clamp(std::max(anchor, cursor), 0, MAX_TICK);
        clipMode = cut ? 1 : 2; // 0: empty
        cursor = anchor;
    }
    void paste(std::int32_t dest) {
        auto [from, to] = span(clipStart, clipEnd);
        if (clipStart == static_cast<std::int32_t>(END_TICK) || from == to)
            return;
        std::map<std::int32_t, SongEvent> after = chords;
        std::vector<SongEvent> moved;
        for (auto it = from; it != to; ++it)
            if (it->first + (dest - clipStart) <= MAX_TICK) {
                moved.push_back(it->second);
                if (clipMode == 1)
                    after.erase(it->first);
            }
        for (SongEvent e : moved) {
            e.tick += static_cast<std::uint32_t>(dest - clipStart);
            after[e.signedTick()] = e;
        }
        if (moved.empty() || after.size() > MAX_EVENTS)
            return; // none within reach, or "Over!": nothing changes and the clipboard stays
        chords = after;
        cutGates();
        clipStart = clipEnd = static_cast<std::int32_t>(END_TICK), clipMode = 0;
    }
    // The signature from the bar at the cursor (or the next one) to the end of the song.
    void signature(int numItem, int denIndex) {
        const int bar = barFrom(cursor);
        if (numItem >= 0 && numItem < 16 && denIndex >= 0 && denIndex < 5 && bar <= BAR_COUNT)
            std::fill(sig.begin() + bar, sig.end(), std::pair(numItem + 1, 1 << denIndex));
    }
    // Empty where the selected chords differ; the gate up to a tick short of the nearest chord
    // after a selected one (32767 when none follows), the stroke 20 up to the first one's gate.
    void ExpectShown(const EventFields& f) {
        auto [from, to] = span(anchor, cursor);
        if (from == to) {
            EXPECT_FALSE(f.vel.enabled || f.gate.enabled || f.stroke.enabled) << "without a chord";
            return;
        }
        std::set<int> vel, gate, stroke;
        std::int32_t gateMax = std::numeric_limits<std::int32_t>::max();
        for (auto it = from; it != to; ++it) {
            vel.insert(it->second.velocity), gate.insert(it->second.gate);
            stroke.insert(it->second.strokeTime);
            if (std::next(it) != chords.end())
                gateMax = std::min(gateMax, std::next(it)->first - it->first - 1);
        }
        gateMax = gateMax == std::numeric_limits<std::int32_t>::max() ? GATE_FIELD_MAX : gateMax;
        const auto text = [](const std::set<int>& v) {
            return v.size() == 1 ? std::to_string(*v.begin()) : std::string();
        };
        EXPECT_EQ(std::tuple(f.vel.text, f.gate.text, f.stroke.text, f.gate.maximum,
                             f.stroke.minimum, f.stroke.maximum,
                             f.vel.enabled && f.gate.enabled && f.stroke.enabled),
                  std::tuple(text(vel), text(gate), text(stroke), gateMax, MIN_GATE,
                             from->second.gate, true))
            << "the fields against the rules";
    }
    void ExpectMatches(const Song& s) const {
        std::vector<SongEvent> want;
        for (const auto& [tick, e] : chords)
            want.push_back(e);
        EXPECT_TRUE(want == std::vector(s.songEvents.begin(), s.songEvents.begin() + s.eventCount))
            << "the events differ from the rules' " << want.size() << " chords";
        EXPECT_EQ(std::tuple(s.edit.cursorTick, s.edit.anchorTick, s.edit.clipStart, s.edit.clipEnd,
                             int{s.edit.clipMode}),
                  std::tuple(cursor, anchor, clipStart, clipEnd, clipMode))
            << "cursor, anchor, clipboard span and mode";
        for (int k = 1; k < METER_ENTRIES; ++k)
            ASSERT_EQ((std::tuple<int, int, std::int64_t, bool>(
                          s.meterTable[k].num, s.meterTable[k].den, s.meterTable[k].endTick,
                          s.meterTable[k].changed == 1)),
                      std::tuple(sig[k].first, sig[k].second, std::int64_t{barStart(k + 1)},
                                 sig[k] != sig[k - 1]))
                << "bar " << k;
    }
};

// Random sessions of every operation, gestures (also unfinished) and fields: after every step the
// invariants hold, an undo gives back its song and a redo the song before its undo.
class RandomEditing : public EditingTest, public ::testing::WithParamInterface<unsigned> {
protected:
    RandomEditing() { rng.seed(GetParam()); }
    // Per undo step, the song when recorded; nothing when that undo alone leads to no whole
    // earlier state (a move's destination step, or a step from before the song was replaced).
    std::deque<std::optional<Snapshot>> expected;
    // The same for the redo steps (the next redo last): the song before the undo that made it.
    std::deque<std::optional<Snapshot>> redoExpected;
    EventFields fields;
    SeqMouse mouse;
    SeqMouseContext ctx{song, history, fields, mouse, SeqLane::Velocity, SEQ_BAR_MAX};
    // A gesture in progress: moves with the left button held, then the release.
    int gestureLeft = 0, gestureX = 0;
    // With the song, the parts of a saved file (for byte-exact comparisons of the whole song).
    std::string tempo = "120";
    MidiSetup midi;

    // Sometimes anywhere in range, on one of the last bar lines, or a step short of the largest.
    std::int32_t AnyTick() {
        static constexpr std::int32_t steps[] = {0, 80, 120, 240, 480, 960, 1920};
        const int where = Uniform(0, 19);
        if (where < 2)
            return Uniform(0, MAX_TICK / TICK_RASTER) * TICK_RASTER;
        if (where == 2)
            return static_cast<std::int32_t>(std::min<std::int64_t>(
                song.meterTable[Uniform(BAR_COUNT - 2, BAR_COUNT)].endTick, MAX_TICK));
        return where == 3 ? MAX_TICK - steps[Uniform(0, 6)] : Uniform(0, 240) * TICK_RASTER;
    }

    void Recorded(int steps, const Snapshot& before, bool firstOnly = false) {
        for (int k = 0; k < steps; ++k)
            expected.push_back(k == 0 || !firstOnly ? std::optional<Snapshot>(before)
                                                    : std::nullopt);
        Trim(expected, history.undoCount);
    }
    // The pool gives way with the oldest undo steps and the farthest redo steps.
    static void Trim(auto& q, int n) { q.erase(q.begin(), q.end() - std::min<int>(q.size(), n)); }

    // Counted exactly unless an old step may give way meanwhile; then the snapshots are unknown.
    template <class Edit> void Counted(Edit&& edit) {
        const Snapshot before = take(song);
        const bool mayDrop =
            history.usedRecords() + static_cast<int>(song.eventCount) + 1 >= UNDO_POOL_RECORDS;
        const int steps = history.undoCount;
        edit();
        if (mayDrop)
            expected.assign(static_cast<std::size_t>(history.undoCount), std::nullopt);
        else
            Recorded(history.undoCount - steps, before);
    }

    // Pixels near the events and handles are where the interesting cases are.
    int SomeX() {
        if (song.eventCount > 0 && Uniform(0, 2) > 0) {
            const SongEvent& e = song.songEvents[Uniform(0, static_cast<int>(song.eventCount) - 1)];
            const ViewGeometry view = viewOf(song.edit);
            const int x = tickToX(song.meterTable, view, e.signedTick());
            const int handle = Uniform(0, 2);
            if (handle == 0)
                return x + Uniform(-7, 7);
            return (handle == 1 ? velocityItem : strokeItem)(song.meterTable, view, e, x).x2 +
                   Uniform(-4, 4);
        }
        return Uniform(-20, song.edit.seqWidth + 20);
    }

    unsigned SomeShift() {
        static const unsigned shifts[] = {
            LEFT_HELD, LEFT_HELD, LEFT_HELD, 0, 0, LEFT_HELD | SHIFT_KEY, CTRL_KEY, RIGHT_HELD};
        return shifts[Uniform(0, 7)];
    }

    const char* Step() {
        if (gestureLeft > 0) {
            const int x = gestureX + Uniform(-80, 80);
            Counted([&] {
                if (--gestureLeft == 0)
                    releaseSequence(ctx, MouseButton::Left, 0, x, Uniform(-5, 128));
                else
                    moveOverSequence(ctx, Uniform(0, 4) > 0 ? LEFT_HELD : SomeShift(), x,
                                     Uniform(-5, 128));
            });
            return "gesture";
        }
        const Snapshot before = take(song);
        // One draw of 29, each operation weighted by its number of entries.
        static constexpr int kinds[] = {0,  0,  0,  3,  4,  5,  6,  6,  8,  8,  9,  9,  10, 11, 12,
                                        13, 14, 14, 14, 14, 18, 19, 11, 21, 22, 23, 24, 24, 25};
        switch (const int kind = kinds[Uniform(0, 28)]) {
        case 0: {
            Frets frets;
            for (auto& f : frets)
                f = Uniform(0, 3) == 0 ? SILENT : static_cast<std::uint8_t>(Uniform(0, 24));
            guitar.setFrets(frets);
            if (Uniform(0, 3) == 0)
                song.edit.cursorTick = AnyTick();
            context.chord1Index = Uniform(0, 12), context.chord2Index = Uniform(0, 23);
            RuleModel rules(song);
            rules.enter(guitar.currentFrets(), context.chord1Index, context.chord2Index);
            const EditResult r = enterHeldChord(history, song, guitar, context);
            rules.ExpectMatches(song);
            Recorded(r.eventsChanged ? 1 : 0, before);
            return "enter";
        }
        case 3: {
            select(AnyTick(), AnyTick());
            const bool any = song.findInRange(song.edit.anchorTick, song.edit.cursorTick) >= 0;
            RuleModel rules(song);
            rules.erase();
            deleteSelectedEvents(history, song);
            rules.ExpectMatches(song);
            Recorded(any ? 1 : 0, before);
            return "delete";
        }
        case 4:
        case 5: {
            select(AnyTick(), AnyTick());
            RuleModel rules(song);
            rules.clip(kind == 4);
            (kind == 4 ? cutSelection : copySelection)(song);
            rules.ExpectMatches(song);
            return kind == 4 ? "cut" : "copy";
        }
        case 6: {
            song.edit.cursorTick = AnyTick();
            const bool moving = song.edit.clipMode == 1;
            RuleModel rules(song);
            rules.paste(song.edit.cursorTick);
            const EditResult r = pasteAt(history, song, song.edit.cursorTick);
            rules.ExpectMatches(song);
            Recorded(r.eventsChanged ? (moving ? 2 : 1) : 0, before, true);
            return "paste";
        }
        case 8:
        case 9:
            UndoOrRedo(kind == 9);
            return kind == 9 ? "redo" : "undo";
        case 25: {
            // Back to the byte, signatures included, unless the pool dropped some redo steps.
            const std::vector<std::uint8_t> bytes = encodeSongFile({song, tempo, midi, guitar});
            int undone = 0;
            for (; history.undoCount > 0; ++undone)
                UndoOrRedo(false);
            if (history.redoCount < undone)
                return "undo all";
            for (int k = 0; k < undone; ++k)
                UndoOrRedo(true);
            EXPECT_EQ(encodeSongFile({song, tempo, midi, guitar}), bytes)
                << "redo after undoing all changed the song";
            return "undo all, redo all";
        }
        case 10: {
            song.edit.cursorTick = AnyTick();
            RuleModel rules(song);
            const int num = Uniform(0, 16), den = Uniform(0, 5);
            rules.signature(num, den);
            timeSignatureChange(song, num, den);
            rules.ExpectMatches(song);
            popupChoose(song.edit, PopupSource::Step, Uniform(0, 4));
            popupChoose(song.edit, PopupSource::Grid, Uniform(0, 1));
            return "meter";
        }
        case 12:
            song.edit.cursorTick = AnyTick();
            sendEventToFretboard(song, guitar);
            return "to fretboard";
        case 14:
            // Press where the pointer showed a handle, line or arrow; moves and release follow.
            gestureX = SomeX();
            Counted([&] {
                const int y = Uniform(0, 3) > 0 ? Uniform(81, 128) : Uniform(-5, 80);
                moveOverSequence(ctx, 0, gestureX, y);
                pressSequence(ctx, static_cast<MouseButton>(Uniform(0, 2)), LEFT_HELD, gestureX, y);
            });
            gestureLeft = Uniform(1, 5);
            return "press";
        case 18:
            Counted([&] {
                if (Uniform(0, 1) == 0)
                    moveOverSequence(ctx, SomeShift(), SomeX(), Uniform(-5, 128));
                else
                    releaseSequence(ctx, Uniform(0, 3) > 0 ? MouseButton::Left : MouseButton::Right,
                                    0, SomeX(), Uniform(-5, 128));
            });
            return "stray move or release";
        case 19:
            Counted([&] {
                applyVelocityLine(song, history,
                                  DragLine{SomeX(), Uniform(80, 128), SomeX(), Uniform(80, 128)});
            });
            return "velocity line";
        case 11:
            // The fields as last shown, whatever happened since (a paste does not refresh them).
            if (Uniform(0, 1) == 0) {
                select(AnyTick(), AnyTick());
                RuleModel rules(song);
                updateEventFields(fields, song, song.edit.anchorTick, song.edit.cursorTick);
                rules.ExpectShown(fields);
            }
            Counted([&] {
                const auto id = static_cast<FieldId>(Uniform(0, 2));
                if (Uniform(0, 1) == 0) {
                    static const char* texts[] = {"",      "0",     "19",  "20", "64",
                                                  "127",   "300",   "479", "-5", "abc",
                                                  "32767", "99999", "40"};
                    fields.Field(id).Type(texts[Uniform(0, 12)]);
                    commitField(id, fields, song, history);
                } else {
                    stepField(id, Uniform(-3, 3), fields, song, history);
                }
            });
            return "fields";
        case 21:
            Counted([&] {
                const SongEvent e =
                    Event(Uniform(0, 200) * TICK_RASTER, static_cast<std::uint8_t>(Uniform(0, 127)),
                          Uniform(1, 30) * 40, Uniform(1, 20) * 20);
                if (song.eventCount < MAX_EVENTS) {
                    pushUndo(history, song, e.signedTick(), e.signedTick());
                    song.insertEvent(e);
                    song.sortEvents();
                }
            });
            return "put";
        case 22:
            ctx.lane = Uniform(0, 1) ? SeqLane::Stroke : SeqLane::Velocity;
            setZoom(song.edit, Uniform(0, 5));
            song.scrollView(std::clamp(song.edit.viewBar + Uniform(-1, 1), 0, ctx.scrollMax));
            return "view";
        case 23:
            song.setMeter(Uniform(1, 100), static_cast<std::uint8_t>(Uniform(1, 16)),
                          static_cast<std::uint8_t>(1 << Uniform(0, 4)));
            song.scrollView(song.edit.viewBar);
            song.edit.tripletGrid = Uniform(0, 1);
            return "set meter";
        case 24:
            Counted([&] { EditThenUndo(); });
            return "edit then undo";
        default:
            if (Uniform(0, 9) != 0)
                return "none";
            // A new song, sometimes loaded nearly full: the history stays.
            song.resetSong();
            if (Uniform(0, 1) == 0) {
                const int count = Uniform(1500, MAX_EVENTS);
                for (std::int32_t t = 0; static_cast<int>(song.eventCount) < count;
                     t += TICK_RASTER * Uniform(1, 2))
                    song.insertEvent(Event(t, static_cast<std::uint8_t>(Uniform(0, 127))));
                song.sortEvents();
            }
            std::fill(expected.begin(), expected.end(), std::nullopt);
            std::fill(redoExpected.begin(), redoExpected.end(), std::nullopt);
            return "new song";
        }
    }

    // An edit records at most one step; undoing it at once gives back every byte.
    void EditThenUndo() {
        const Snapshot before = take(song);
        bool recorded = false;
        switch (Uniform(0, 2)) {
        case 0: {
            updateEventFields(fields, song, song.edit.anchorTick, song.edit.cursorTick);
            const auto id = static_cast<FieldId>(Uniform(0, 2));
            recorded = fields.Field(id).enabled;
            fields.Field(id).Type(std::to_string(Uniform(-10, 600)));
            if (Uniform(0, 1) == 0)
                commitField(id, fields, song, history);
            else
                stepField(id, Uniform(0, 1) ? 1 : -1, fields, song, history);
            break;
        }
        case 1:
            recorded = applyVelocityLine(
                song, history, DragLine{SomeX(), Uniform(80, 128), SomeX(), Uniform(80, 128)});
            break;
        default: {
            const int x = SomeX();
            const int y = Uniform(81, 128);
            moveOverSequence(ctx, 0, x, y);
            const DragMode mode = mouse.dragMode;
            if (mode != DragMode::GateHandle && mode != DragMode::StrokeHandle)
                return; // a velocity line or an arrow: their undo is checked elsewhere
            const int steps = history.undoCount;
            pressSequence(ctx, MouseButton::Left, LEFT_HELD, x, y);
            moveOverSequence(ctx, LEFT_HELD, x + Uniform(-80, 80), y);
            releaseSequence(ctx, MouseButton::Left, 0, x, y);
            // A step exactly when the drag changed the event.
            recorded = !std::equal(before.begin(), before.end(), song.songEvents.begin());
            EXPECT_TRUE(recorded || history.undoCount == steps)
                << "a drag that changed nothing left a step";
            break;
        }
        }
        if (!recorded)
            return;
        // Undo, redo, undo again: each gives back the events before it.
        const Snapshot edited = take(song);
        for (int k = 0; k < 3; ++k) {
            (k == 1 ? redoLastUndo : undoLastEdit)(history, song, ctx.scrollMax);
            EXPECT_EQ(take(song), k == 1 ? edited : before) << "step " << k << " of undo-redo-undo";
        }
        redoExpected.assign(1, edited);
    }

    // The song before becomes the snapshot of the opposite step.
    void UndoOrRedo(bool redo) {
        auto& from = redo ? redoExpected : expected;
        auto& to = redo ? expected : redoExpected;
        const Snapshot before = take(song);
        const bool any = !from.empty();
        const std::optional<Snapshot> back = any ? from.back() : before;
        if (any) {
            from.pop_back();
            to.push_back(before);
        }
        // The step's span, whose first tick the selection collapses onto.
        const std::int32_t first =
            any ? history
                      .undoEntries[redo ? UndoHistory::redoSlot(history.redoCount - 1)
                                        : history.undoCount - 1]
                      .first
                : song.edit.cursorTick;
        EXPECT_EQ((redo ? redoLastUndo : undoLastEdit)(history, song, 99).eventsChanged, any);
        EXPECT_TRUE(!back || take(song) == *back)
            << (redo ? "redo" : "undo") << " gave back another song";
        EXPECT_TRUE(!any || (song.edit.cursorTick == first && song.edit.anchorTick == first));
        Trim(expected, history.undoCount);
        Trim(redoExpected, history.redoCount);
    }

    ::testing::AssertionResult EditorRangesHold() const {
        const EditState& edit = song.edit;
        for (std::int32_t t : {edit.cursorTick, edit.anchorTick, edit.mouseTick})
            if (t < 0 || t > MAX_TICK)
                return ::testing::AssertionFailure() << "tick " << t << " out of range";
        for (std::uint32_t i = 0; i < song.eventCount; ++i) {
            const SongEvent& e = song.songEvents[i];
            if (e.velocity > 127 || e.gate < MIN_GATE || e.strokeTime < MIN_GATE || e.strokeDir > 1)
                return ::testing::AssertionFailure()
                       << "event at " << e.tick << ": velocity " << int{e.velocity} << " gate "
                       << e.gate << " stroke " << e.strokeTime << " dir " << int{e.strokeDir};
        }
        for (const NumField* f : {&fields.vel, &fields.gate, &fields.stroke})
            if (static_cast<int>(f->text.size()) > f->maxLength)
                return ::testing::AssertionFailure() << "text " << f->text;
        return ::testing::AssertionSuccess();
    }
};

TEST_P(RandomEditing, InvariantsHoldAfterEveryOperation) {
    for (int op = 0; op < 2000; ++op) {
        const UndoEntry newest = history.undoEntries[std::max(history.undoCount - 1, 0)];
        const int undoCount = history.undoCount, redoCount = history.redoCount;
        const std::string name = Step();
        SCOPED_TRACE(::testing::Message() << "after op " << op << " (" << name << ")");
        // Any other operation keeps the redo steps, but a new step clears them.
        if (name.find("undo") == std::string::npos && name != "redo") {
            const bool stepped = history.undoCount != undoCount ||
                                 history.undoEntries[std::max(undoCount - 1, 0)] != newest;
            ASSERT_EQ(history.redoCount, stepped ? 0 : redoCount);
            redoExpected.resize(static_cast<std::size_t>(history.redoCount));
        }
        ASSERT_EQ(static_cast<int>(redoExpected.size()), history.redoCount);
        ASSERT_TRUE(SongInvariantsHold(song));
        ASSERT_TRUE(HistoryInvariantsHold(history));
        ASSERT_TRUE(EditorRangesHold());
        ASSERT_EQ(static_cast<int>(expected.size()), history.undoCount);
        ASSERT_FALSE(::testing::Test::HasFailure());
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomEditing, ::testing::Range(1u, 13u));

} // namespace
} // namespace cadenzo::testing
