// Practice playback on random songs against a schedule worked out here from the song alone: the
// loop unrolled into passes, the clicks from a walk over the bars, the clock as the engine's.
#include "playback/playback_schedule.h"
#include "sound/midi_out.h"
#include "support/song_events.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

namespace cadenzo {
namespace {

TEST(PracticeSchedule, LoopCountInClicksAndSpeedMatchAnIndependentSchedule) {
    std::mt19937 rng(2026);
    const auto rnd = [&](int a, int b) { return std::uniform_int_distribution(a, b)(rng); };
    for (int run = 0; run < 200; ++run) {
        Song song;
        for (int k = rnd(0, 3); k > 0; --k)
            song.setMeter(rnd(1, 8), static_cast<std::uint8_t>(rnd(1, 7)),
                          static_cast<std::uint8_t>(1 << rnd(1, 4)));
        const auto barStart = [&](int n) { return std::int64_t{song.meterTable[n - 1].endTick}; };
        const int bars = rnd(2, 8);
        for (std::int64_t t = rnd(0, 4) * 40; t < barStart(bars + 1); t += rnd(4, 30) * 40)
            song.insertEvent(test::MakeEvent(
                t, {static_cast<std::uint8_t>(rnd(0, 1) ? 0 : SILENT), 0, 2, 2, 1, 0}, 100,
                rnd(100, 900), rnd(0, 60), rnd(0, 1)));
        song.sortEvents();
        Practice p{.loop = rnd(0, 3) > 0,
                   .loopFirstBar = rnd(1, bars),
                   .countIn = rnd(0, 1) == 1,
                   .metronome = rnd(0, 1) == 1,
                   .clickVelocity = static_cast<std::uint8_t>(rnd(1, 127)),
                   .speedPercent = rnd(25, 100)};
        p.loopLastBar = rnd(p.loopFirstBar, bars);
        song.playTick = p.loop ? 0 : rnd(0, 20) * 40;
        const int tempo = rnd(30, 300), turns = rnd(0, 2);
        SCOPED_TRACE(testing::Message() << "run " << run << " tempo " << tempo);
        MidiSetup midi;
        Guitar guitar;
        guitar.setTuning(standardTuning);
        const PlaybackSchedule got =
            schedulePractice(song, midi, guitar, std::to_string(tempo), p, turns, 2'000'000);
        if (got.outcome == PlaybackSchedule::Outcome::NothingToPlay)
            continue;
        ASSERT_EQ(got.outcome, PlaybackSchedule::Outcome::Complete);

        const std::int64_t S = p.loop ? barStart(p.loopFirstBar) : song.playTick.load();
        // The passes: song ticks [from, to) played with the clock ahead of the song by shift.
        const int bar0 = song.barOfTick(static_cast<std::int32_t>(S));
        const int num0 = song.meterTable[bar0].num, beat0 = 1920 / song.meterTable[bar0].den;
        const std::int64_t C = p.countIn ? num0 * beat0 : 0;
        const std::int64_t B = barStart(p.loopFirstBar), E = barStart(p.loopLastBar + 1);
        std::int64_t songEnd = 0, lastRelease = 0;
        for (std::uint32_t i = 0; i < song.eventCount; ++i)
            lastRelease = std::max<std::int64_t>(lastRelease,
                                                 song.songEvents[i].tick + song.songEvents[i].gate);
        for (int n = 1; songEnd < lastRelease; ++n)
            songEnd = barStart(n + 1);
        // The song's clock: callback k stands at the rounded sum of k increments.
        const double base = static_cast<double>(tempo * got.periodMs) * 0.001 * 480 / 60;
        const double inc = p.speedPercent == 100 ? base : base * p.speedPercent / 100;
        std::vector<std::int64_t> clock{0};
        for (double c = S; clock.back() < S + C + (E - B) * turns + songEnd + 9000;)
            clock.push_back(static_cast<std::int64_t>(std::nearbyint(c += inc)));
        const auto firstAfter = [&](std::int64_t v, bool orAt) { // first callback past v
            return static_cast<int>(std::upper_bound(clock.begin() + 1, clock.end(), v - orAt) -
                                    clock.begin());
        };
        struct Pass {
            std::int64_t from, to, shift;
        };
        std::vector<Pass> passes;
        for (int k = 0; p.loop && k < turns; ++k)
            passes.push_back({B, E, C + k * (E - B)});
        passes.push_back({S, INT64_MAX, C + (p.loop ? turns : 0) * (E - B)});

        std::multimap<int, std::uint32_t> want; // callback -> click message
        const auto clickAt = [&](std::int64_t v, bool accent) {
            const int k = firstAfter(v, false);
            want.insert({k, packShortMsg(0x99, accent ? 76 : 77, p.clickVelocity)});
            want.insert({k + 1, packShortMsg(0x89, accent ? 76 : 77, 0)});
        };
        for (int j = 0; j < num0 && p.countIn; ++j)
            clickAt(S + j * beat0, j == 0);
        for (const Pass& pass : passes)
            for (int n = 1; p.metronome && n <= BAR_COUNT; ++n)
                for (int j = 0; j < song.meterTable[n].num; ++j) {
                    const std::int64_t b = barStart(n) + j * (1920 / song.meterTable[n].den);
                    if (b >= pass.from && b < (pass.to == INT64_MAX ? songEnd : pass.to))
                        clickAt(b + pass.shift, j == 0);
                }
        std::multimap<int, std::uint32_t> clicks;
        for (const ScheduledMessage& m : got.messages)
            if ((m.message & 0xEF) == 0x89)
                clicks.insert({m.callback, m.message});
        EXPECT_EQ(clicks, want);
        for (int clicked = -1; const ScheduledMessage& m : got.messages) { // strings, then clicks
            EXPECT_FALSE((m.message & 0xFF) == 0x90 && m.callback == clicked) << m.callback;
            clicked = (m.message & 0xFF) == 0x99 ? m.callback : clicked;
        }

        // Each event of each pass: its first string at the first callback past its tick, the
        // rest in stroke order, all released together at its gate's end or at the loop's turn.
        std::size_t next = 0;
        const auto notes = [&] {
            while (next < got.messages.size() && (got.messages[next].message & 0xEF) != 0x80)
                ++next;
            return next < got.messages.size() ? &got.messages[next++] : nullptr;
        };
        for (const Pass& pass : passes)
            for (std::uint32_t i = 0; i < song.eventCount; ++i) {
                const SongEvent& e = song.songEvents[i];
                if (e.tick < pass.from || e.tick >= pass.to)
                    continue;
                const std::int64_t end = std::min<std::int64_t>(e.tick + e.gate, pass.to);
                const int on = firstAfter(e.tick + pass.shift, false);
                const int off = firstAfter(end + pass.shift, true);
                std::vector<int> strings; // in stroke order
                for (int j = 0; j < 6; ++j)
                    if (const int s = e.strokeDir == 1 ? j : 5 - j; e.frets[s] != SILENT)
                        strings.push_back(s);
                const bool whole = end - e.tick >= e.strokeTime + 30;
                std::size_t struck = 0;
                for (const ScheduledMessage* m = notes(); m; m = notes()) {
                    const int note = static_cast<int>(m->message >> 8 & 0x7F);
                    if ((m->message & 0xF0) == 0x80) { // the release: every audible string
                        --next;
                        break;
                    }
                    ASSERT_LT(struck, strings.size()) << "struck twice at " << m->callback;
                    const int s = strings[struck++];
                    EXPECT_EQ(note, stringMidiNote(e.frets[s], guitar.tuning[s]));
                    EXPECT_TRUE(struck > 1 || m->callback == on) << m->callback << " " << on;
                    EXPECT_LT(m->callback, off);
                }
                EXPECT_TRUE(!whole || struck == strings.size()) << e.tick;
                for (std::size_t k = 0; k < strings.size(); ++k) {
                    const ScheduledMessage* m = notes();
                    ASSERT_NE(m, nullptr) << "a note left ringing";
                    EXPECT_EQ(std::pair(m->callback, m->message & 0xF0), std::pair(off, 0x80u));
                }
            }
        EXPECT_EQ(notes(), nullptr) << "a note more than the schedule";
    }
}

} // namespace
} // namespace cadenzo
