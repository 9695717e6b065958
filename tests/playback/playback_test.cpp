#include "playback_fixture.h"

#include "seq/seq_geometry.h"

#include <gtest/gtest.h>

namespace cadenzo {
namespace {

constexpr std::uint8_t X = SILENT;

class Playback : public ::testing::Test, protected PlaybackFixture {};

// At tempo 125 and a 2 ms period every callback advances exactly 2 ticks: callback n is at 2n.
constexpr int FirstCallbackAfter(int tick) {
    return tick / 2 + 1;
}

TEST_F(Playback, TransportShowsOneButtonAndSilencesOnStopAndPause) {
    struct Case {
        Transport state;
        bool play, playOn, pause;
        const char* panel;
        std::size_t silenced;
    };
    for (const Case& c : {Case{Transport::PLAY, false, true, false, "PLAY", 0},
                          Case{Transport::PAUSE, false, false, true, "PAUSE", 128},
                          Case{Transport::STOP, true, false, false, "STOP", 128}}) {
        const TransportView v = TransportViewOf(c.state);
        EXPECT_EQ(v.playButton, c.play);
        EXPECT_EQ(v.playOnButton, c.playOn);
        EXPECT_EQ(v.pauseButton, c.pause);
        EXPECT_STREQ(v.panel, c.panel);
        out.clear();
        engine.SetTransport(c.state);
        EXPECT_EQ(out.sent().size(), c.silenced) << c.panel;
        EXPECT_EQ(engine.transportState(), c.state);
        EXPECT_EQ(ui.transports.back(), c.state);
    }
}

TEST_F(Playback, NothingStartsWithoutAnEventAtOrAfterPlayTick) {
    EXPECT_EQ(start(), PlaybackEngine::StartResult::NothingToPlay);
    song.PutEvent(Chord(480, {0, 0, 0, 0, 0, 0}, 240, 0));
    song.playTick = 481;
    EXPECT_EQ(start(), PlaybackEngine::StartResult::NothingToPlay);
    EXPECT_EQ(engine.transportState(), Transport::STOP);
    EXPECT_FALSE(timer.running());
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(ui.transports.empty());
}

TEST_F(Playback, StartChoosesThePeriodAndTheIncrementAndSendsTheProgram) {
    struct Case {
        Timer::Caps caps;
        bool capsFail;
        std::uint32_t period;
        const char* tempo;
        double increment;
    };
    const Case cases[] = {
        {{1, 1000000}, false, 2, "120", 1.92}, {{5, 1000}, false, 5, "120", 4.8},
        {{1, 1}, false, 1, "120", 0.96},       {{1, 1000}, true, 0, "120", 0.0},
        {{1, 1000}, false, 2, "30", 0.48},     {{1, 1000}, false, 2, "1000", 4.8},
        {{1, 1000}, false, 2, "+60", 0.96},    {{1, 1000}, false, 2, "10", 0.48},
    };
    for (const Case& c : cases) {
        PlaybackFixture f;
        f.midi.midiChannel = 3;
        f.midi.midiProgram = 40;
        f.song.PutEvent(Chord(0, {0, 0, 0, 0, 0, 0}, 240, 0));
        f.timer.caps = c.caps;
        f.timer.capsFail = c.capsFail;
        ASSERT_EQ(f.start(c.tempo), PlaybackEngine::StartResult::Started) << c.tempo;
        EXPECT_EQ(f.engine.playPeriod(), c.period);
        EXPECT_DOUBLE_EQ(f.engine.playIncrement(), c.increment) << c.tempo;
        EXPECT_EQ(f.engine.transportState(), Transport::PLAY);
        EXPECT_EQ(f.timer.running(), c.period != 0);
        ASSERT_EQ(f.log.size(), 1u);
        EXPECT_EQ(f.log[0], (Sent{0, PackShortMsg(0xC3, 40, 0)}));
        if (c.period != 0) {
            EXPECT_EQ(f.engine.StartPlay("120"), PlaybackEngine::StartResult::Running)
                << "a second start does nothing while a timer runs";
        }
        f.engine.StopPlayTimer();
        EXPECT_EQ(f.timer.ended,
                  c.period ? std::vector<std::uint32_t>{c.period} : std::vector<std::uint32_t>{});
    }
}

TEST_F(Playback, ATempoThatIsNotAnIntegerStartsNothing) {
    song.PutEvent(Chord(0, {0, 0, 0, 0, 0, 0}, 240, 0));
    for (const char* tempo : {"", "12a", "1.5", " 120", "-"}) {
        EXPECT_EQ(start(tempo), PlaybackEngine::StartResult::BadTempo) << tempo;
        EXPECT_EQ(engine.transportState(), Transport::STOP);
        EXPECT_FALSE(timer.running());
        EXPECT_EQ(engine.playPeriod(), 0u);
    }
    EXPECT_TRUE(log.empty());
}

TEST_F(Playback, StartScrollsTheViewToThePlayTicksBar) {
    song.PutEvent(Chord(9000, {0, 0, 0, 0, 0, 0}, 240, 0));
    for (auto [tick, position] :
         {std::pair{0, -1}, std::pair{1920, 0}, std::pair{3900, 2}, std::pair{5760, 2}}) {
        song.playTick = tick;
        ASSERT_EQ(start(), PlaybackEngine::StartResult::Started);
        EXPECT_EQ(ui.scrolls.back(), position) << tick;
        engine.StopPlayTimer();
    }
}

TEST_F(Playback, TheEventAtPlayTickPlaysAndTheOnesBeforeDoNot) {
    song.PutEvent(Chord(0, {0, X, X, X, X, X}, 100, 0));
    song.PutEvent(Chord(480, {X, 0, X, X, X, X}, 100, 0));
    song.playTick = 480;
    start();
    fire(FirstCallbackAfter(480 + 100));
    // The position starts at 480: callback n is at 480 + 2n.
    const std::vector<Sent> want = {{1, On(Note(1, 0))}, {50, Off(Note(1, 0))}};
    EXPECT_EQ(notes(), want);
}

// Strings of one event at tick 100 with stroke time 60 (slot time 10 ticks): each pair is
// (string, slot time in which it sounds).
TEST_F(Playback, StrokesSpreadTheAudibleStringsOverTheirSlots) {
    struct Case {
        const char* name;
        Frets frets;
        std::uint8_t dir;
        std::vector<std::pair<int, int>> sounds;
    };
    const Case cases[] = {
        {"down, 1st and 2nd silent", {X, X, 0, 0, 0, 0}, 0, {{5, 0}, {4, 1}, {3, 2}, {2, 3}}},
        {"up, 1st and 2nd silent", {X, X, 0, 0, 0, 0}, 1, {{2, 0}, {3, 3}, {4, 4}, {5, 5}}},
        {"down, 2nd and 3rd silent", {0, X, X, 0, 0, 0}, 0, {{5, 0}, {4, 1}, {3, 2}, {0, 3}}},
        {"down, 5th silent", {0, 0, 0, 0, X, 0}, 0, {{5, 0}, {3, 1}, {2, 3}, {1, 4}, {0, 5}}},
        {"up, all six", {0, 0, 0, 0, 0, 0}, 1, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}},
        {"direction 7 plays down", {0, X, X, X, X, 0}, 7, {{5, 0}, {0, 1}}},
    };
    for (const Case& c : cases) {
        PlaybackFixture f;
        f.song.PutEvent(Chord(100, c.frets, 480, 60, c.dir));
        f.start();
        f.fire(FirstCallbackAfter(580));
        std::vector<Sent> want;
        for (auto [s, slot] : c.sounds)
            want.push_back({FirstCallbackAfter(100 + 10 * slot), On(Note(s, 0))});
        for (int s = 0; s < 6; ++s)
            if (c.frets[s] != X)
                want.push_back({FirstCallbackAfter(580) - 1, Off(Note(s, 0))});
        EXPECT_EQ(f.notes(), want) << c.name;
    }
}

TEST_F(Playback, ShortStrokeTimesSoundOneStringPerCallback) {
    for (int strokeTime : {0, 5}) {
        PlaybackFixture f;
        f.song.PutEvent(Chord(100, {0, 0, 0, 0, 0, 0}, 480, strokeTime));
        f.start();
        f.fire(60);
        const std::vector<Sent> notes = f.notes();
        ASSERT_EQ(notes.size(), 6u);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(notes[i], (Sent{FirstCallbackAfter(100) + i, On(Note(5 - i, 0))}))
                << strokeTime;
    }
}

TEST_F(Playback, StrokeTimeSixtyGivesTenTicksBetweenStringsAtTempo120) {
    song.PutEvent(Chord(0, {0, 0, 0, 0, 0, 0}, 960, 60));
    start("120"); // 1.92 ticks per callback
    fire(40);
    std::vector<int> callbacks;
    for (const Sent& s : notes())
        callbacks.push_back(s.callback);
    // First callbacks whose rounded position (n x 1.92) exceeds 0, 10, 20, 30, 40 and 50.
    EXPECT_EQ(callbacks, (std::vector<int>{1, 6, 11, 16, 22, 27}));
}

TEST_F(Playback, AGateShorterThanTheStrumCutsItButReleasesEveryString) {
    song.PutEvent(Chord(100, {0, 0, X, 0, 0, 0}, 20, 60));
    start();
    fire(400);
    const int release = FirstCallbackAfter(120) - 1;
    const std::vector<Sent> want = {{FirstCallbackAfter(100), On(Note(5, 0))},
                                    {FirstCallbackAfter(110), On(Note(4, 0))},
                                    {release, Off(Note(0, 0))},
                                    {release, Off(Note(1, 0))},
                                    {release, Off(Note(3, 0))},
                                    {release, Off(Note(4, 0))},
                                    {release, Off(Note(5, 0))}};
    EXPECT_EQ(notes(), want);
    EXPECT_EQ(engine.playIndex(), 1u) << "resting on the end marker";
}

TEST_F(Playback, AnEventInsideThePreviousGateStartsWhenThatGateEnds) {
    // Written straight into the list, as a foreign file could hold it (sorting would cut the gate).
    song.songEvents[0] = Chord(0, {0, X, X, X, X, X}, 480, 0);
    song.songEvents[1] = Chord(240, {X, 0, X, X, X, X}, 100, 0);
    song.eventCount = 2;
    start();
    fire(FirstCallbackAfter(480));
    const int release = FirstCallbackAfter(480) - 1;
    // The late event's own gate (240 + 100) has passed already: it ends at the next callback.
    const std::vector<Sent> want = {{FirstCallbackAfter(0), On(Note(0, 0))},
                                    {release, Off(Note(0, 0))},
                                    {release, On(Note(1, 0))},
                                    {release + 1, Off(Note(1, 0))}};
    EXPECT_EQ(notes(), want);
}

TEST_F(Playback, PauseFreezesEverythingAndResumeRepeatsNoNote) {
    song.PutEvent(Chord(100, {0, 0, 0, 0, 0, 0}, 480, 60));
    start();
    fire(FirstCallbackAfter(110)); // strings 5 and 4 have sounded
    const double frozen = engine.playPos();
    engine.playOnButtonClick();
    EXPECT_EQ(engine.transportState(), Transport::PAUSE);
    collect(-1);
    const std::size_t beforeWait = log.size();
    const int repaints = ui.repaints;
    fire(100);
    EXPECT_EQ(log.size(), beforeWait) << "nothing is sent while paused";
    EXPECT_EQ(ui.repaints, repaints) << "nothing is drawn while paused";
    EXPECT_DOUBLE_EQ(engine.playPos(), frozen);
    engine.pauseButtonClick();
    collect(-1);
    fire(FirstCallbackAfter(580) - FirstCallbackAfter(110));

    std::vector<Sent> want = {{FirstCallbackAfter(100), On(Note(5, 0))},
                              {FirstCallbackAfter(110), On(Note(4, 0))}};
    const int pause = FirstCallbackAfter(110);
    for (int note = 0; note < 128; ++note)
        want.push_back({-1, Off(note)}); // the pause silences everything once
    for (int k = 2; k < 6; ++k)
        want.push_back({FirstCallbackAfter(100 + 10 * k) + 100, On(Note(5 - k, 0))});
    for (int s = 0; s < 6; ++s)
        want.push_back({FirstCallbackAfter(580) - 1 + 100, Off(Note(s, 0))});
    EXPECT_EQ(notes(), want);
    EXPECT_GT(pause, 0);
}

TEST_F(Playback, LocateWhilePlayingSilencesAndContinuesFromTheNewPlace) {
    song.PutEvent(Chord(0, {0, X, X, X, X, X}, 1000, 0));
    song.PutEvent(Chord(1920, {X, X, X, X, X, 0}, 100, 0));
    start();
    fire(5);
    collect(5);
    engine.Locate(1900);
    collect(-1);
    EXPECT_EQ(song.playTick, 1900);
    EXPECT_EQ(engine.playIndex(), 1u);
    EXPECT_DOUBLE_EQ(engine.playPos(), 1900.0);
    EXPECT_EQ(ui.dragClears, 1);
    EXPECT_EQ(ui.redraws, 1);
    EXPECT_EQ(engine.transportState(), Transport::PLAY);
    fire(70);
    // After the locate, position 1900 + 2n passes 1920 at n = 11 and 2020 at n = 61.
    std::vector<Sent> want = {{1, On(Note(0, 0))}};
    for (int note = 0; note < 128; ++note)
        want.push_back({-1, Off(note)});
    want.push_back({5 + 11, On(Note(5, 0))});
    want.push_back({5 + 60, Off(Note(5, 0))});
    EXPECT_EQ(notes(), want);

    engine.Locate(5000);
    EXPECT_EQ(engine.transportState(), Transport::STOP) << "nothing lies after the new place";
    EXPECT_FALSE(timer.running());
    EXPECT_EQ(engine.playIndex(), song.eventCount + 1);
}

TEST_F(Playback, AfterTheLastEventTheTimerRunsOnAndTheViewPages) {
    song.PutEvent(Chord(0, {0, X, X, X, X, X}, 40, 0));
    song.edit.seqWidth = 300;
    start();
    fire(3000);
    EXPECT_TRUE(timer.running());
    EXPECT_EQ(engine.transportState(), Transport::PLAY);
    EXPECT_EQ(engine.playIndex(), 1u);
    ASSERT_FALSE(ui.pages.empty());
    // x = 55 + r / 10 at zoom 2 exceeds 300 first at r = 2460 (inside bar 2): the view pages
    // to scroll position 1, so that it begins at bar 2.
    EXPECT_EQ(ui.pages.front(), 1);
    EXPECT_EQ(ui.repaints, 3000);
}

TEST_F(Playback, ThePlayLineIsDrawnEveryFiveTicksOrOnRequest) {
    song.PutEvent(Chord(0, {0, X, X, X, X, X}, 4000, 0));
    start();
    fire(10); // positions 2, 4, ..., 20: lines at 10 and 20
    const ViewGeometry view{0, 2};
    EXPECT_EQ(ui.lines, (std::vector<int>{TickToX(song.meterTable, view, 10),
                                          TickToX(song.meterTable, view, 20)}));
    engine.requestRedraw();
    fire(1); // 22
    EXPECT_EQ(ui.lines.back(), TickToX(song.meterTable, view, 22));
    fire(1); // 24: off the raster again
    EXPECT_EQ(ui.lines.size(), 3u);
}

TEST_F(Playback, TheTimerStopsWhenTheListEndsBeforeThePlayedEvent) {
    song.PutEvent(Chord(0, {0, X, X, X, X, X}, 40, 0));
    song.PutEvent(Chord(480, {0, X, X, X, X, X}, 40, 0));
    start();
    fire(FirstCallbackAfter(480)); // on the second event
    ASSERT_EQ(engine.playIndex(), 1u);
    song.ClearRange(0, 960);
    song.SortEvents();
    EXPECT_EQ(timer.fire(2), 1) << "the tick stops its own timer";
    EXPECT_EQ(engine.transportState(), Transport::PLAY);
    EXPECT_EQ(engine.playPeriod(), 0u);
    engine.StopPlayTimer(); // safe when nothing runs
}

TEST_F(Playback, ANoteAbove127IsNeverSentAndItsSlotPassesSilently) {
    guitar.tuning[0] = 200; // 0 + 200 + 36 = 236 cannot be a data byte
    song.PutEvent(Chord(100, {0, 0, X, X, X, X}, 480, 60, 1));
    start();
    fire(FirstCallbackAfter(580));
    const std::vector<Sent> want = {{FirstCallbackAfter(110), On(Note(1, 0))},
                                    {FirstCallbackAfter(580) - 1, Off(Note(1, 0))}};
    EXPECT_EQ(notes(), want);
    for (const auto& s : out.sent())
        EXPECT_LT(s.data1(), 128);
}

TEST_F(Playback, AFullListWithNothingAfterPlayTickNeverReadsPastTheLastSlot) {
    for (int i = 0; i < MAX_EVENTS; ++i)
        song.PutEvent(Chord(static_cast<std::uint32_t>(i) * 40, {0, X, X, X, X, X}, 40, 0));
    song.playTick = MAX_EVENTS * 40;
    EXPECT_EQ(start(), PlaybackEngine::StartResult::NothingToPlay);
    engine.Locate(MAX_EVENTS * 40);
    EXPECT_EQ(engine.playIndex(), static_cast<std::uint32_t>(MAX_EVENTS + 1));
    EXPECT_EQ(engine.transportState(), Transport::STOP);
    // The last event still plays from its own tick.
    song.playTick = (MAX_EVENTS - 1) * 40;
    EXPECT_EQ(start(), PlaybackEngine::StartResult::Started);
    fire(30);
    EXPECT_EQ(engine.playIndex(), static_cast<std::uint32_t>(MAX_EVENTS));
}

TEST_F(Playback, StopAndBackToTop) {
    song.PutEvent(Chord(0, {0, X, X, X, X, X}, 4000, 0));
    song.edit.cursorTick = 480;
    song.edit.anchorTick = 960;
    song.playTick = 3840;
    song.PutEvent(Chord(3840, {0, X, X, X, X, X}, 40, 0));
    start();
    engine.stopButtonMouseDown();
    EXPECT_FALSE(timer.running()) << "the press stops the timer";
    EXPECT_EQ(engine.transportState(), Transport::PLAY);
    out.clear();
    engine.stopButtonClick();
    EXPECT_EQ(out.sent().size(), 256u) << "silenced by the click and again by the STOP state";
    EXPECT_EQ(engine.transportState(), Transport::STOP);
    EXPECT_EQ(song.edit.viewBar, 3);

    start();
    engine.backtopClick();
    EXPECT_EQ(engine.transportState(), Transport::STOP);
    EXPECT_FALSE(timer.running());
    EXPECT_EQ(song.playTick, 0);
    EXPECT_EQ(ui.scrolls.back(), 0);
    EXPECT_EQ(engine.playIndex(), 0u);
    EXPECT_EQ(song.edit.cursorTick, 0);
    EXPECT_EQ(song.edit.anchorTick, 0);
}

TEST_F(Playback, SpaceStartsPausesAndResumes) {
    song.PutEvent(Chord(0, {0, X, X, X, X, X}, 4000, 0));
    engine.spaceKey("120");
    EXPECT_EQ(engine.transportState(), Transport::PLAY);
    engine.spaceKey("120");
    EXPECT_EQ(engine.transportState(), Transport::PAUSE);
    engine.spaceKey("120");
    EXPECT_EQ(engine.transportState(), Transport::PLAY);
    EXPECT_TRUE(timer.running());
}

TEST_F(Playback, NewSongStopsPlaybackAndEmptiesTheList) {
    song.PutEvent(Chord(0, {0, X, X, X, X, X}, 4000, 0));
    start();
    fire(3);
    engine.NewSong();
    EXPECT_EQ(engine.transportState(), Transport::STOP);
    EXPECT_FALSE(timer.running());
    EXPECT_EQ(song.eventCount, 0u);
    EXPECT_EQ(engine.playIndex(), 0u);
}

} // namespace
} // namespace cadenzo
