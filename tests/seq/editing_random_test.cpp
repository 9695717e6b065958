#include "editing_fixture.h"
#include "seq/event_fields.h"
#include "seq/meter_step.h"
#include "seq/seq_mouse.h"

#include <deque>
#include <optional>
#include <random>
#include <tuple>

namespace cadenzo::testing {
namespace {

// What an undo must bring back exactly. Gates and stroke times are left out: the sort may cut the
// gate of an event in front of an edited span, and that cut is not part of any step.
using EventKey =
    std::tuple<std::int32_t, Frets, std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t>;
using Snapshot = std::vector<EventKey>;

Snapshot Take(const Song& song) {
    Snapshot s;
    for (std::uint32_t i = 0; i < song.eventCount; ++i) {
        const SongEvent& e = song.songEvents[i];
        s.emplace_back(e.signedTick(), e.frets, e.velocity, e.strokeDir, e.root, e.chordType);
    }
    return s;
}

class RandomEditing : public EditingTest, public ::testing::WithParamInterface<unsigned> {
protected:
    std::mt19937 rng{GetParam()};
    // One entry per undo step: the song as it was when the step was recorded, or nothing when
    // undoing that step alone does not lead back to a whole earlier state (the destination step
    // of a move, or any step recorded before the song was replaced).
    std::deque<std::optional<Snapshot>> expected;
    EventFields fields;
    SeqMouse mouse;

    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    // A raster tick near the events, sometimes anywhere in the editor's range.
    std::int32_t AnyTick() {
        if (Uniform(0, 9) == 0)
            return Uniform(0, MAX_TICK / TICK_RASTER) * TICK_RASTER;
        return Uniform(0, 240) * TICK_RASTER;
    }

    void Recorded(int steps, const Snapshot& before, bool firstOnly = false) {
        for (int k = 0; k < steps; ++k)
            expected.push_back(k == 0 || !firstOnly ? std::optional<Snapshot>(before)
                                                    : std::nullopt);
        while (static_cast<int>(expected.size()) > history.undoCount)
            expected.pop_front();
    }

    void ForgetSnapshots() {
        for (auto& s : expected)
            s.reset();
    }

    void RandomFrets() {
        Frets f;
        for (auto& x : f)
            x = Uniform(0, 3) == 0 ? SILENT : static_cast<std::uint8_t>(Uniform(0, 24));
        guitar.setFrets(f);
    }

    // One editing operation; returns its name for the failure message.
    const char* Step() {
        const Snapshot before = Take(song);
        switch (Uniform(0, 15)) {
        case 0:
        case 1:
        case 2: {
            RandomFrets();
            if (Uniform(0, 3) == 0)
                song.edit.cursorTick = AnyTick();
            context.chord1Index = Uniform(0, 12);
            context.chord2Index = Uniform(0, 23);
            const EditResult r = EnterChord(history, song, guitar, context);
            Recorded(r.eventsChanged ? 1 : 0, before);
            return "enter";
        }
        case 3: {
            Select(AnyTick(), AnyTick());
            const bool any = song.FindInRange(song.edit.anchorTick, song.edit.cursorTick) >= 0;
            DeleteSelection(history, song);
            Recorded(any ? 1 : 0, before);
            return "delete";
        }
        case 4:
            Select(AnyTick(), AnyTick());
            Cut(song);
            return "cut";
        case 5:
            Select(AnyTick(), AnyTick());
            Copy(song);
            return "copy";
        case 6:
        case 7: {
            song.edit.cursorTick = AnyTick();
            const bool moving = song.edit.clipMode == 1;
            const EditResult r = Paste(history, song, song.edit.cursorTick);
            Recorded(r.eventsChanged ? (moving ? 2 : 1) : 0, before, true);
            return "paste";
        }
        case 8:
        case 9: {
            if (history.undoCount > 0) {
                const std::optional<Snapshot> back = expected.back();
                expected.pop_back();
                Undo(history, song, 99);
                if (back) {
                    EXPECT_EQ(Take(song), *back) << "undo did not restore the song";
                }
            } else {
                Undo(history, song, 99);
            }
            return "undo";
        }
        case 10:
            song.edit.cursorTick = AnyTick();
            TimeSignatureChange(song, Uniform(0, 15), Uniform(0, 4));
            PopupChoose(song.edit, PopupSource::Step, Uniform(0, 4));
            PopupChoose(song.edit, PopupSource::Grid, Uniform(0, 1));
            return "meter";
        case 11: {
            // The property fields, left after typing or stepped with their up-down buttons.
            Select(AnyTick(), AnyTick());
            UpdateEventFields(fields, song, song.edit.anchorTick, song.edit.cursorTick);
            const auto id = static_cast<FieldId>(Uniform(0, 2));
            const bool enabled = fields.Field(id).enabled;
            if (Uniform(0, 1) == 0) {
                const char* typed[] = {"", "0", "20", "64", "127", "300", "-5", "480", "x"};
                fields.Field(id).Type(typed[Uniform(0, 8)]);
                FieldExit(id, fields, song, history);
            } else {
                FieldUpDownClick(id, Uniform(-3, 3), fields, song, history);
            }
            Recorded(enabled ? 1 : 0, before);
            return "fields";
        }
        case 14:
        case 15: {
            // A whole lane gesture: hover, press, drag, release. The press on a handle or an
            // arrow and the release of a velocity line each record at most one step; it is
            // counted from the history, so only where no old step can be dropped meanwhile.
            if (history.UsedRecords() + static_cast<int>(song.eventCount) + 1 >= UNDO_POOL_RECORDS)
                return "none";
            const int steps = history.undoCount;
            SeqMouseContext ctx{song,
                                history,
                                fields,
                                mouse,
                                Uniform(0, 1) == 0 ? SeqLane::Velocity : SeqLane::Stroke,
                                99};
            const int x = Uniform(50, 330);
            const int y = Uniform(85, 128);
            SeqMouseMove(ctx, 0, x, y);
            SeqMouseDown(ctx, MouseButton::Left, LEFT_HELD, x, y);
            const int x2 = x + Uniform(-80, 80);
            const int y2 = Uniform(85, 128);
            SeqMouseMove(ctx, LEFT_HELD, x2, y2);
            SeqMouseUp(ctx, MouseButton::Left, 0, x2, y2);
            Recorded(history.undoCount - steps, before);
            return "lane gesture";
        }
        case 12:
            song.edit.cursorTick = AnyTick();
            SendToFretboard(song, guitar);
            return "to fretboard";
        default:
            if (Uniform(0, 9) != 0)
                return "none";
            // A new song, sometimes loaded nearly full: the history stays.
            song.NewSong();
            if (Uniform(0, 1) == 0) {
                const int count = Uniform(1500, MAX_EVENTS);
                for (std::int32_t t = 0; static_cast<int>(song.eventCount) < count;
                     t += TICK_RASTER * Uniform(1, 2))
                    song.PutEvent(Event(t, static_cast<std::uint8_t>(Uniform(0, 127))));
                song.SortEvents();
            }
            ForgetSnapshots();
            return "new song";
        }
    }
};

TEST_P(RandomEditing, InvariantsHoldAfterEveryOperation) {
    for (int op = 0; op < 2000; ++op) {
        const char* name = Step();
        ASSERT_TRUE(SongInvariantsHold(song)) << "after op " << op << " (" << name << ")";
        ASSERT_TRUE(HistoryInvariantsHold(history)) << "after op " << op << " (" << name << ")";
        ASSERT_EQ(static_cast<int>(expected.size()), history.undoCount)
            << "after op " << op << " (" << name << ")";
        ASSERT_FALSE(::testing::Test::HasFailure()) << "after op " << op << " (" << name << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomEditing, ::testing::Values(1u, 2u, 3u, 4u));

} // namespace
} // namespace cadenzo::testing
