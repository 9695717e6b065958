#include "playback_fixture.h"

#include "playback/play_line.h"
#include "seq/seq_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace cadenzo {
namespace {

constexpr std::uint8_t X = SILENT;

// The callback a message was sent in (0 = before the first callback, -1 = between) and the message.
using Sent = std::pair<int, std::uint32_t>;

const auto On = [](int note, int channel = 0) { return packShortMsg(0x90 | channel, note, 100); };
const auto Off = [](int note, int channel = 0) { return packShortMsg(0x80 | channel, note, 0); };
const auto Note = [](int s) { return standardTuning[s] + NOTE_BASE; }; // open string s
// At tempo 125 and a 2 ms period every callback advances exactly 2 ticks: callback n is at 2n.
constexpr auto FirstCallbackAfter = [](int tick) { return tick / 2 + 1; };

struct PlaybackFixture : EngineRig<ManualTimer> {
    RecordingListener ui;
    // The play line as a display refresh polls it: lines drawn and page turns applied to the view.
    PlayLineFollower follower;
    std::vector<int> lines;
    std::vector<Sent> log;
    std::size_t seen = 0;

    PlaybackFixture() { engine.setListener(&ui); }
    // Moves what the device received since the last call into `log`, tagged with `callback`.
    void collect(int callback) {
        for (const auto sent = out.sent(); seen < sent.size(); ++seen)
            log.push_back({callback, sent[seen].message});
    }
    PlaybackEngine::StartResult start(const char* tempo = "125") {
        const auto result = engine.start(tempo);
        return collect(0), result;
    }
    // Fires n callbacks, logging each callback's messages under its number.
    void fire(int n) {
        for (int i = 0; i < n && timer.fire(); ++i) {
            collect(timer.ticks());
            const PlayLineStep step = follower.poll(engine, song);
            if (step.page)
                song.scrollView(std::clamp(*step.page, 0, SEQ_BAR_MAX));
            else if (step.draw)
                lines.push_back(step.x);
        }
    }
    // The logged note messages (program changes left out).
    std::vector<Sent> notes() const {
        std::vector<Sent> result;
        std::ranges::copy_if(log, std::back_inserter(result),
                             [](const Sent& s) { return (s.second & 0xE0) == 0x80; });
        return result;
    }
};

class Playback : public ::testing::Test, protected PlaybackFixture {};

TEST(PlaybackStart, ChoosesThePeriodAndTheIncrementAndSendsTheProgram) {
    using R = PlaybackEngine::StartResult;
    struct Case {
        Timer::Caps caps;
        bool capsFail;
        const char* tempo;
        R result;
        std::uint32_t period;
        double increment;
    };
    constexpr R S = R::Started, B = R::BadTempo;
    // clang-format off
    const Case cases[] = {
        {{1, 1000000}, false, "120", S, 2, 1.92}, {{5, 1000}, false, "120", S, 5, 4.8},
        {{1, 1}, false, "120", S, 1, 0.96},       {{1, 1000}, true, "120", S, 0, 0.0},
        {{1, 1000}, false, "30", S, 2, 0.48},     {{1, 1000}, false, "1000", S, 2, 4.8},
        {{1, 1000}, false, "+60", S, 2, 0.96},    {{1, 1000}, false, "10", S, 2, 0.48},
        // A tempo that is not an integer starts nothing.
        {{1, 1000}, false, "", B, 0, 0.0},        {{1, 1000}, false, "12a", B, 0, 0.0},
        {{1, 1000}, false, " 120", B, 0, 0.0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tempo);
        PlaybackFixture f;
        f.midi.midiChannel = 3, f.midi.midiProgram = 40;
        f.song.insertEvent(Chord(0, {0, 0, 0, 0, 0, 0}, 240, 0));
        f.timer.caps = c.caps, f.timer.capsFail = c.capsFail;
        ASSERT_EQ(f.start(c.tempo), c.result);
        const bool started = c.result == R::Started;
        EXPECT_EQ(std::tuple(f.engine.playPeriod(), f.timer.running(), f.engine.transportState()),
                  std::tuple(c.period, c.period != 0, started ? Transport::Play : Transport::Stop));
        EXPECT_EQ(f.log, (started ? std::vector<Sent>{{0, packShortMsg(0xC3, 40, 0)}}
                                  : std::vector<Sent>{}));
        if (!started)
            continue;
        EXPECT_DOUBLE_EQ(f.engine.playIncrement(), c.increment);
        // A second start does nothing while a timer runs.
        EXPECT_EQ(c.period != 0 ? f.engine.start("120") : R::Running, R::Running);
        f.engine.stopPlayTimer();
        EXPECT_EQ(f.timer.ended,
                  c.period ? std::vector<std::uint32_t>{c.period} : std::vector<std::uint32_t>{});
    }
}

// Each string's note-on callback, then every audible string released at once at the gate's end.
TEST(PlaybackStroke, SpreadsTheAudibleStringsAndReleasesThemTogether) {
    struct Case {
        const char* name;
        const char* tempo;
        std::uint32_t tick;
        Frets frets;
        std::uint8_t dir;
        std::int32_t strokeTime, gate;
        std::vector<std::pair<int, int>> ons; // (string, callback)
        int release;                          // callback of the note-offs
        std::uint8_t tuning0 = standardTuning[0];
    };
    // At tempo 125, stroke time 60 gives slots of 10 ticks, 5 callbacks.
    // clang-format off
    const Case cases[] = {
        {"down, 1st and 2nd silent", "125", 100, {X, X, 0, 0, 0, 0}, 0, 60, 480,
         {{5, 51}, {4, 56}, {3, 61}, {2, 66}}, 290},
        {"up, 1st and 2nd silent", "125", 100, {X, X, 0, 0, 0, 0}, 1, 60, 480,
         {{2, 51}, {3, 66}, {4, 71}, {5, 76}}, 290},
        {"down, 5th silent", "125", 100, {0, 0, 0, 0, X, 0}, 0, 60, 480,
         {{5, 51}, {3, 56}, {2, 66}, {1, 71}, {0, 76}}, 290},
        {"direction 7 plays down", "125", 100, {0, X, X, X, X, 0}, 7, 60, 480,
         {{5, 51}, {0, 56}}, 290},
        // Short stroke times sound one string per callback.
        {"stroke time 5", "125", 100, {0, 0, 0, 0, 0, 0}, 0, 5, 480,
         {{5, 51}, {4, 52}, {3, 53}, {2, 54}, {1, 55}, {0, 56}}, 290},
        // The gate cuts the strum short, yet every audible string is released.
        {"gate shorter than the strum", "125", 100, {0, 0, X, 0, 0, 0}, 0, 60, 20,
         {{5, 51}, {4, 56}}, 60},
        // 1.92 ticks a callback: the first callbacks rounding past 0, 10, ..., 50, and to 960.
        {"tempo 120", "120", 0, {0, 0, 0, 0, 0, 0}, 0, 60, 960,
         {{5, 1}, {4, 6}, {3, 11}, {2, 16}, {1, 22}, {0, 27}}, 500},
        // 200 + 0 + 36 = 236 cannot be a data byte: the string's slot passes silently.
        {"note above 127", "125", 100, {0, 0, X, X, X, X}, 1, 60, 480, {{1, 56}}, 290, 200},
        // 250 + 10 + 36 = 296, not 40 as a sum wrapped at 256 would give.
        {"fret and tuning past 255", "125", 100, {10, 0, X, X, X, X}, 1, 60, 480, {{1, 56}}, 290, 250},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlaybackFixture f;
        f.guitar.tuning[0] = c.tuning0;
        f.song.insertEvent(Chord(c.tick, c.frets, c.gate, c.strokeTime, c.dir));
        f.start(c.tempo);
        f.fire(c.release + 10);
        std::vector<Sent> want;
        for (auto [s, callback] : c.ons)
            want.push_back({callback, On(Note(s))});
        for (int s = 0; s < 6; ++s)
            if (c.frets[s] != X && f.guitar.tuning[s] + NOTE_BASE < 128)
                want.push_back({c.release, Off(Note(s))});
        EXPECT_EQ(f.notes(), want);
        for (const auto& m : f.out.sent())
            EXPECT_LT(m.data1(), 128);
        EXPECT_EQ(f.engine.playIndex(), 1u) << "resting on the end marker";
    }
}

// Fixed fault too: a string's note-off went to the channel chosen after its note-on.
TEST_F(Playback, PauseFreezesEverythingAndResumeRepeatsNoNoteAndEndsItWhereItWasStruck) {
    song.insertEvent(Chord(100, {0, 0, 0, 0, 0, 0}, 480, 60));
    start();
    fire(FirstCallbackAfter(110)); // strings 5 and 4 have sounded
    const double frozen = engine.playPos();
    engine.pause();
    EXPECT_EQ(engine.transportState(), Transport::Pause);
    collect(-1);
    const auto paused = std::tuple(log.size(), lines.size(), frozen);
    fire(100);
    EXPECT_EQ(std::tuple(log.size(), lines.size(), engine.playPos()), paused)
        << "nothing is sent, drawn or moved while paused";
    engine.resume(), midi.midiChannel = 4, collect(-1);
    fire(FirstCallbackAfter(580) - FirstCallbackAfter(110));

    std::vector<Sent> want = {{FirstCallbackAfter(100), On(Note(5))},
                              {FirstCallbackAfter(110), On(Note(4))}};
    for (int note = 0; note < 128; ++note)
        want.push_back({-1, Off(note)}); // the pause silences everything once
    for (int k = 2; k < 6; ++k)
        want.push_back({FirstCallbackAfter(100 + 10 * k) + 100, On(Note(5 - k), 4)});
    for (int s = 0; s < 6; ++s)
        want.push_back({FirstCallbackAfter(580) - 1 + 100, Off(Note(s), s < 4 ? 4 : 0)});
    EXPECT_EQ(notes(), want);
}

// Fixed fault: an unannounced edit (the sounding chord deleted) left it hanging, the next unplayed.
TEST_F(Playback, AnUnannouncedEditIsFollowed) {
    song.insertEvent(Chord(100, {X, X, X, X, 0, 0}, 480, 0));
    song.insertEvent(Chord(1000, {X, X, X, X, X, 0}, 40, 0));
    start();
    fire(FirstCallbackAfter(100) + 1);
    song.clearRange(100, 100), song.sortEvents();
    fire(FirstCallbackAfter(1039) - timer.ticks());
    EXPECT_EQ(notes(), (std::vector<Sent>{{51, On(Note(5))},
                                          {52, On(Note(4))},
                                          {53, Off(Note(4))},
                                          {53, Off(Note(5))},
                                          {501, On(Note(5))},
                                          {520, Off(Note(5))}}));
    EXPECT_EQ(engine.playIndex(), 1u) << "resting on the end marker";
}

TEST_F(Playback, PlayStartsAtPlayTickAndAFullListIsNeverReadPast) {
    EXPECT_EQ(start(), PlaybackEngine::StartResult::NothingToPlay);
    for (int i = 0; i < MAX_EVENTS; ++i)
        song.insertEvent(Chord(static_cast<std::uint32_t>(i) * 40, {0, X, X, X, X, X}, 40, 0));
    song.playTick = MAX_EVENTS * 40 - 39;
    EXPECT_EQ(start(), PlaybackEngine::StartResult::NothingToPlay);
    EXPECT_EQ(
        std::tuple(engine.transportState(), timer.running(), log.size(), ui.transports.size()),
        std::tuple(Transport::Stop, false, 0u, 0u));
    engine.locateTo(MAX_EVENTS * 40);
    EXPECT_EQ(std::pair(engine.playIndex(), engine.transportState()),
              std::pair(static_cast<std::uint32_t>(MAX_EVENTS + 1), Transport::Stop));
    // The last event still plays from its own tick, and none of the 1999 before it.
    song.playTick = (MAX_EVENTS - 1) * 40;
    collect(-1), log.clear(); // the locate's silence
    EXPECT_EQ(start(), PlaybackEngine::StartResult::Started);
    fire(30);
    EXPECT_EQ(engine.playIndex(), static_cast<std::uint32_t>(MAX_EVENTS));
    EXPECT_EQ(notes(), (std::vector<Sent>{{1, On(Note(0))}, {20, Off(Note(0))}}));
    // The play line is drawn in the view and moves right with the music.
    EXPECT_TRUE(lines.size() > 1 && lines.front() > 0 && lines.back() > lines.front() &&
                std::is_sorted(lines.begin(), lines.end()))
        << ::testing::PrintToString(lines);
    // From bar 42 the view went there; Top brings position, cursor and view back to the beginning.
    song.edit.anchorTick = 480, song.edit.cursorTick = 960;
    engine.backToTop();
    EXPECT_EQ(std::tuple(ui.scrolls, song.playTick, song.edit.anchorTick, song.edit.cursorTick),
              std::tuple(std::vector{41, 0}, 0, 0, 0));
}

} // namespace
} // namespace cadenzo
