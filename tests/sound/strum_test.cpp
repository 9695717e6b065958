#include "strum_fixture.h"

#include <atomic>
#include <random>
#include <set>
#include <thread>

namespace cadenzo::test {
namespace {

using Messages = std::vector<std::uint32_t>;

struct StrokeCase {
    const char* name;
    bool down;
    bool left;
    std::uint8_t mode;
    std::vector<int> notes; // ticks 1..6 of C major low
};

class StrokeOrder : public StrumTest, public ::testing::WithParamInterface<StrokeCase> {};

TEST_P(StrokeOrder, SoundsOneStringPerTickThenStopsOnTheSeventh) {
    const StrokeCase& c = GetParam();
    setup.midiChannel = 3;
    setup.midiVelocity = 90;
    if (c.down)
        strummer.DownStBtnMouseDown(c.left);
    else
        strummer.UpStBtnMouseDown(c.left);
    EXPECT_EQ(Take(), AllOff(3)); // the press silences first
    EXPECT_EQ(strummer.strokeMode(), c.mode);
    EXPECT_EQ(strummer.strokePeriod(), 37u);
    EXPECT_EQ(timer.period(), 37u);
    EXPECT_EQ(timer.begun, std::vector<std::uint32_t>{37});

    const auto ticks = Ticks(7);
    for (int t = 0; t < 6; ++t)
        EXPECT_EQ(ticks[t], Messages{On(c.notes[t])}) << "tick " << t + 1;
    EXPECT_EQ(ticks[6], (c.mode & STROKE_SILENCE) ? AllOff(3) : Messages{});
    EXPECT_FALSE(timer.running());
    EXPECT_FALSE(strummer.running());
    EXPECT_EQ(strummer.strokeStep(), 6);
    EXPECT_EQ(timer.ended, std::vector<std::uint32_t>{37});
    EXPECT_FALSE(timer.fire());
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, StrokeOrder,
    ::testing::Values(StrokeCase{"DownLeft", true, true, 1, {40, 48, 52, 55, 60, 64}},
                      StrokeCase{"DownRight", true, false, 3, {40, 48, 52, 55, 60, 64}},
                      StrokeCase{"UpLeft", false, true, 0, {64, 60, 55, 52, 48, 40}},
                      StrokeCase{"UpRight", false, false, 2, {64, 60, 55, 52, 48, 40}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StrumTest, SilentStringsKeepTheirTick) {
    Hold({SILENT, 1, 3, 2, 3, SILENT}); // C7 low
    strummer.DownStBtnMouseDown(true);
    Take();
    const auto ticks = Ticks(7);
    EXPECT_EQ(ticks[0], Messages{});
    EXPECT_EQ(ticks[1], Messages{On(48)});
    EXPECT_EQ(ticks[2], Messages{On(52)});
    EXPECT_EQ(ticks[3], Messages{On(58)});
    EXPECT_EQ(ticks[4], Messages{On(60)});
    EXPECT_EQ(ticks[5], Messages{});
    EXPECT_EQ(ticks[6], Messages{});
    EXPECT_FALSE(timer.running());
}

TEST_F(StrumTest, SecondPressDuringAStrokeCutsTheNotesButNotTheStroke) {
    strummer.DownStBtnMouseDown(true);
    Take();
    Ticks(2);
    const std::uint32_t id = strummer.strokeTimerId();
    strummer.UpStBtnMouseDown(false);
    EXPECT_EQ(Take(), AllOff(0));
    EXPECT_EQ(strummer.strokeMode(), STROKE_DOWN); // the up stroke and its mode are dropped
    EXPECT_EQ(strummer.strokeTimerId(), id);
    const auto ticks = Ticks(5);
    EXPECT_EQ(ticks[0], Messages{On(52)});
    EXPECT_EQ(ticks[3], Messages{On(64)});
    EXPECT_EQ(ticks[4], Messages{});
    EXPECT_EQ(timer.begun.size(), 1u);
}

TEST_F(StrumTest, ReleaseDuringTheStrokeSilencesAtItsEnd) {
    strummer.DownStBtnMouseDown(true);
    Take();
    Ticks(2);
    strummer.DownStBtnMouseUp();
    EXPECT_EQ(Take(), Messages{});
    EXPECT_EQ(strummer.strokeMode(), STROKE_DOWN | STROKE_SILENCE);
    const auto ticks = Ticks(5);
    EXPECT_EQ(ticks[3], Messages{On(64)}); // all six strings still sound
    EXPECT_EQ(ticks[4], AllOff(0));
}

TEST_F(StrumTest, ReleaseAfterTheSixthStringSilencesAtOnce) {
    strummer.UpStBtnMouseDown(true);
    Take();
    Ticks(6);
    strummer.UpStBtnMouseUp(); // the seventh tick has not come yet
    EXPECT_EQ(Take(), AllOff(0));
    EXPECT_EQ(Ticks(1)[0], Messages{});
    strummer.UpStBtnMouseUp(); // and after it, the same
    EXPECT_EQ(Take(), AllOff(0));
}

TEST_F(StrumTest, MuteCutsSoundingNotesButNotTheStringsToCome) {
    strummer.DownStBtnMouseDown(true);
    Take();
    Ticks(3);
    strummer.MuteBtnClick();
    EXPECT_EQ(Take(), AllOff(0));
    const auto ticks = Ticks(4);
    EXPECT_EQ(ticks[0], Messages{On(55)});
    EXPECT_EQ(ticks[1], Messages{On(60)});
    EXPECT_EQ(ticks[2], Messages{On(64)});
    EXPECT_EQ(ticks[3], Messages{});
}

TEST_F(StrumTest, FretChangedMidStrokeIsHeardByTheStringsToCome) {
    strummer.DownStBtnMouseDown(true);
    Take();
    Ticks(3);
    guitar.flet[0] = 3;
    guitar.flet[1] = SILENT;
    guitar.UpdateStringNotes();
    const auto ticks = Ticks(3);
    EXPECT_EQ(ticks[1], Messages{});
    EXPECT_EQ(ticks[2], Messages{On(67)});
}

// A tuning value from a hand-edited settings file can take a string above note 127; as a data
// byte it would turn into a status byte. The string is skipped and keeps its tick.
TEST_F(StrumTest, NoteAbove127IsSkippedNotSent) {
    guitar.tuning[0] = 100; // 100 + 0 + 36 = 136
    guitar.tuning[1] = 91;  // 91 + 1 + 36 = 128
    guitar.UpdateStringNotes();
    strummer.UpStBtnMouseDown(true);
    Take();
    const auto ticks = Ticks(7);
    EXPECT_EQ(ticks[0], Messages{});
    EXPECT_EQ(ticks[1], Messages{});
    EXPECT_EQ(ticks[2], Messages{On(55)});
    EXPECT_EQ(ticks[5], Messages{On(40)});
    EXPECT_FALSE(timer.running());
}

struct CapsCase {
    bool capsFail;
    Timer::Caps caps;
    std::uint32_t period;
};
class StrokePeriod : public StrumTest, public ::testing::WithParamInterface<CapsCase> {};

TEST_P(StrokePeriod, IsThirtySevenClampedToTheTimersRange) {
    timer.capsFail = GetParam().capsFail;
    timer.caps = GetParam().caps;
    strummer.DownStBtnMouseDown(true);
    EXPECT_EQ(strummer.strokePeriod(), GetParam().period);
    EXPECT_EQ(timer.period(), GetParam().period);
    EXPECT_EQ(timer.fire(7), 7);
    EXPECT_EQ(timer.begun, timer.ended);
}

INSTANTIATE_TEST_SUITE_P(Caps, StrokePeriod,
                         ::testing::Values(CapsCase{false, {1, 1000}, 37},
                                           CapsCase{false, {50, 1000}, 50},
                                           CapsCase{false, {1, 20}, 20},
                                           // no capabilities: the stroke's own period, not 0
                                           CapsCase{true, {0, 0}, 37}));

TEST_F(StrumTest, RefusedTimerLeavesNoStrokeRunning) {
    timer.setEventFails = true;
    strummer.DownStBtnMouseDown(true);
    Take();
    EXPECT_FALSE(strummer.running());
    EXPECT_EQ(strummer.strokeTimerId(), 0u);
    EXPECT_EQ(strummer.strokePeriod(), 0u);
    EXPECT_EQ(timer.begun, timer.ended); // the period begun for it is given back
    strummer.DownStBtnMouseUp();         // nothing is sounding a stroke: silence at once
    EXPECT_EQ(Take(), AllOff(0));

    timer.setEventFails = false; // the next press is not dropped
    strummer.UpStBtnMouseDown(true);
    Take();
    EXPECT_TRUE(strummer.running());
    EXPECT_EQ(Ticks(1)[0], Messages{On(64)});
}

// The release handler's test of the step and its setting of the silence bit are one step for
// the tick: a release racing the stroke's end never leaves notes ringing.
TEST_F(StrumTest, ReleaseRacingTheLastTicksNeverLeavesNotesRinging) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        out.clear();
        strummer.DownStBtnMouseDown(true);
        ASSERT_TRUE(strummer.running());
        std::atomic<bool> go{false};
        std::thread ticker([&] {
            while (!go.load()) {
            }
            timer.fire(7);
        });
        const int spin = static_cast<int>(random() % 3000);
        go = true;
        std::atomic<int> spun{0};
        while (spun.fetch_add(1, std::memory_order_relaxed) < spin) {
        }
        strummer.DownStBtnMouseUp();
        ticker.join();
        ASSERT_FALSE(strummer.running());

        std::set<int> sounding;
        for (const auto& m : out.sent()) {
            if (m.status() == 0x90 && m.data2() != 0)
                sounding.insert(m.data1());
            else
                sounding.erase(m.data1());
        }
        ASSERT_TRUE(sounding.empty())
            << "round " << round << ": " << sounding.size() << " notes left ringing";
    }
}

} // namespace
} // namespace cadenzo::test
