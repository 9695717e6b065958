#include "editing_fixture.h"
#include "seq/event_fields.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace cadenzo::testing {
namespace {

class EventFieldsTest : public EditingTest {
protected:
    EventFields fields;

    void PutFull(std::int32_t tick, std::uint8_t velocity, std::int32_t gate,
                 std::int32_t strokeTime) {
        SongEvent e = Event(tick, velocity, gate);
        e.strokeTime = strokeTime;
        song.PutEvent(e);
        song.SortEvents();
    }
    void SelectAndShow(std::int32_t anchor, std::int32_t cursor) {
        Select(anchor, cursor);
        UpdateEventFields(fields, song, anchor, cursor);
    }
    const SongEvent &At(std::int32_t tick) const { return song.songEvents[song.FindEvent(tick)]; }
    void TypeAndLeave(FieldId id, const std::string &text) {
        fields.Field(id).Type(text);
        FieldExit(id, fields, song, history);
    }
};

struct NumberCase {
    const char *text;
    std::optional<std::int32_t> number;
};

class FieldNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(FieldNumber, OnlyAWholeDecimalTextConverts) {
    NumField field;
    field.text = GetParam().text;
    EXPECT_EQ(field.Number(), GetParam().number) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FieldNumber,
    ::testing::Values(NumberCase{"0", 0}, NumberCase{"127", 127}, NumberCase{"-5", -5},
                      NumberCase{"+7", 7}, NumberCase{"007", 7}, NumberCase{"", std::nullopt},
                      NumberCase{"-", std::nullopt}, NumberCase{"+", std::nullopt},
                      NumberCase{"+-5", std::nullopt}, NumberCase{"12a", std::nullopt},
                      NumberCase{" 5", std::nullopt}, NumberCase{"5 ", std::nullopt},
                      NumberCase{"1e3", std::nullopt}, NumberCase{"0x10", std::nullopt},
                      NumberCase{"99999999999", std::nullopt}));

TEST(NumFieldTest, TheEditKeepsItsLengthAndThePositionFollowsOnlyNumbersWithinTheLimits) {
    EventFields fields;
    fields.gate.Type("1234567");
    EXPECT_EQ(fields.gate.text, "12345");
    EXPECT_EQ(fields.gate.Position(), 12345);
    fields.vel.Type("1000");
    EXPECT_EQ(fields.vel.text, "100");
    EXPECT_EQ(fields.vel.Position(), 100);
    fields.vel.Type("abc");
    EXPECT_EQ(fields.vel.Position(), 100); // the last position stands
    fields.vel.Type("200");
    EXPECT_EQ(fields.vel.Position(), 100); // beyond the maximum: not taken over
    fields.vel.SetPosition(300);
    EXPECT_EQ(fields.vel.position, 127);
    EXPECT_EQ(fields.vel.text, "127");
    fields.vel.SetPosition(-3);
    EXPECT_EQ(fields.vel.text, "0");
}

TEST(NumFieldTest, StartUpValues) {
    EventFields fields;
    EXPECT_EQ(fields.vel.text, "0");
    EXPECT_EQ(fields.vel.maximum, 127);
    EXPECT_EQ(fields.vel.maxLength, 3);
    EXPECT_EQ(fields.gate.text, "20");
    EXPECT_EQ(fields.gate.minimum, 20);
    EXPECT_EQ(fields.gate.maximum, 32767);
    EXPECT_EQ(fields.stroke.text, "0");
    EXPECT_EQ(fields.stroke.minimum, 0);
    EXPECT_EQ(fields.stroke.maximum, 32767);
}

TEST_F(EventFieldsTest, CommonValuesShowAndDifferentOnesLeaveTheFieldEmpty) {
    PutFull(0, 80, 240, 60);
    PutFull(480, 100, 240, 40);
    SelectAndShow(0, 480);
    EXPECT_EQ(fields.vel.text, "");
    EXPECT_EQ(fields.gate.text, "240");
    EXPECT_EQ(fields.stroke.text, "");
    EXPECT_TRUE(fields.vel.enabled && fields.gate.enabled && fields.stroke.enabled);
    EXPECT_EQ(fields.stroke.minimum, 20);
    EXPECT_EQ(fields.stroke.maximum, 240);
    SelectAndShow(480, 0); // either order
    EXPECT_EQ(fields.gate.maximum, 479);
    SelectAndShow(480, 480);
    EXPECT_EQ(fields.vel.text, "100");
    EXPECT_EQ(fields.stroke.text, "40");
}

TEST_F(EventFieldsTest, AnEmptySpanDisablesTheFieldsAndKeepsTheirTexts) {
    PutFull(480, 100, 240, 60);
    SelectAndShow(480, 480);
    SelectAndShow(0, 440);
    EXPECT_FALSE(fields.vel.enabled || fields.gate.enabled || fields.stroke.enabled);
    EXPECT_EQ(fields.vel.text, "100");
    EXPECT_EQ(fields.gate.text, "240");
    FieldUpDownClick(FieldId::Velocity, 1, fields, song, history);
    FieldExit(FieldId::Gate, fields, song, history);
    EXPECT_EQ(history.undoCount, 0);
    EXPECT_EQ(fields.vel.text, "100");
    EXPECT_EQ(At(480).velocity, 100);
}

TEST_F(EventFieldsTest, GateMaximumIsOneTickShortOfTheTightestFollowingEvent) {
    PutFull(0, 90, 40, 20);
    PutFull(480, 90, 40, 20);
    PutFull(600, 90, 40, 20);
    PutFull(1920, 90, 40, 20);
    SelectAndShow(0, 0);
    EXPECT_EQ(fields.gate.maximum, 479);
    SelectAndShow(0, 480);
    EXPECT_EQ(fields.gate.maximum, 119);
    SelectAndShow(600, 1920); // the last event has no successor and sets no limit
    EXPECT_EQ(fields.gate.maximum, 1319);
    SelectAndShow(1920, 1920);
    EXPECT_EQ(fields.gate.maximum, 32767);
}

// A paste does not refresh the fields: the gate limit shown before it allowed a gate reaching
// past the pasted event.
TEST_F(EventFieldsTest, GateLimitFollowsAnEventPastedAfterTheFieldsWereShown) {
    PutFull(0, 90, 240, 60);
    SelectAndShow(0, 0);
    ASSERT_EQ(fields.gate.maximum, 32767);
    Copy(song);
    Paste(history, song, 480);
    ASSERT_EQ(song.eventCount, 2u);
    TypeAndLeave(FieldId::Gate, "1000");
    EXPECT_EQ(fields.gate.text, "479");
    EXPECT_EQ(At(0).gate, 479);
    EXPECT_TRUE(SongInvariantsHold(song));
}

TEST_F(EventFieldsTest, LeavingAnEmptyVelocityFieldSetsTheMinimum) {
    PutFull(0, 80, 240, 60);
    PutFull(480, 100, 240, 60);
    SelectAndShow(0, 480);
    FieldExit(FieldId::Velocity, fields, song, history);
    EXPECT_EQ(fields.vel.text, "0");
    EXPECT_EQ(At(0).velocity, 0);
    EXPECT_EQ(At(480).velocity, 0);
    EXPECT_EQ(history.undoCount, 1);
}

struct ExitCase {
    FieldId id;
    const char *typed;
    const char *text;   // the field afterwards
    std::int32_t value; // the selected events' value afterwards
};

class FieldExitTest : public EventFieldsTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(FieldExitTest, ValidatesThenAppliesToEverySelectedEvent) {
    const ExitCase c = GetParam();
    PutFull(0, 90, 240, 60);
    PutFull(480, 90, 240, 60);
    PutFull(1920, 90, 240, 60);
    SelectAndShow(0, 480);
    TypeAndLeave(c.id, c.typed);
    EXPECT_EQ(fields.Field(c.id).text, c.text);
    for (std::int32_t t : {0, 480}) {
        const SongEvent &e = At(t);
        const std::int32_t value = c.id == FieldId::Velocity ? e.velocity
                                   : c.id == FieldId::Gate   ? e.gate
                                                             : e.strokeTime;
        EXPECT_EQ(value, c.value) << "event at " << t;
    }
    EXPECT_EQ(At(1920).velocity, 90);
    EXPECT_EQ(At(1920).gate, 240);
    EXPECT_EQ(At(1920).strokeTime, 60);
    EXPECT_EQ(history.undoCount, 1);
    EXPECT_TRUE(SongInvariantsHold(song));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldExitTest,
    ::testing::Values(
        ExitCase{FieldId::Velocity, "64", "64", 64}, ExitCase{FieldId::Velocity, "300", "127", 127},
        ExitCase{FieldId::Velocity, "127", "127", 127}, ExitCase{FieldId::Velocity, "-5", "0", 0},
        ExitCase{FieldId::Velocity, "x", "0", 0}, ExitCase{FieldId::Gate, "-5", "20", 20},
        ExitCase{FieldId::Gate, "", "20", 20}, ExitCase{FieldId::Gate, "19", "20", 20},
        ExitCase{FieldId::Gate, "300", "300", 300}, ExitCase{FieldId::Gate, "479", "479", 479},
        // The gate cannot reach the next event at 480.
        ExitCase{FieldId::Gate, "480", "479", 479}, ExitCase{FieldId::Gate, "32767", "479", 479},
        ExitCase{FieldId::Stroke, "100", "100", 100},
        // The stroke time goes up to the first event's gate.
        ExitCase{FieldId::Stroke, "500", "240", 240}, ExitCase{FieldId::Stroke, "5", "20", 20},
        ExitCase{FieldId::Stroke, "abc", "20", 20}));

TEST_F(EventFieldsTest, LoweringTheGateBelowTheStrokeTimeTakesTheStrokeTimeAlong) {
    PutFull(0, 90, 240, 60);
    SelectAndShow(0, 0);
    TypeAndLeave(FieldId::Gate, "40");
    EXPECT_EQ(At(0).gate, 40);
    EXPECT_EQ(At(0).strokeTime, 40);
    EXPECT_EQ(fields.stroke.text, "40");
    EXPECT_EQ(fields.stroke.maximum, 40);
    TypeAndLeave(FieldId::Gate, "240");
    EXPECT_EQ(At(0).gate, 240);
    EXPECT_EQ(At(0).strokeTime, 40);
    EXPECT_EQ(fields.stroke.text, "40");
    EXPECT_EQ(fields.stroke.maximum, 240);
}

TEST_F(EventFieldsTest, AGateAboveTheStrokeTimeLeavesTheStrokeTime) {
    PutFull(0, 90, 240, 60);
    SelectAndShow(0, 0);
    TypeAndLeave(FieldId::Gate, "100");
    EXPECT_EQ(At(0).gate, 100);
    EXPECT_EQ(At(0).strokeTime, 60);
    EXPECT_EQ(fields.stroke.text, "60");
}

TEST_F(EventFieldsTest, UndoAfterAFieldEditRestoresThePreviousValues) {
    PutFull(0, 80, 240, 60);
    PutFull(480, 100, 200, 50);
    SelectAndShow(0, 480);
    TypeAndLeave(FieldId::Gate, "40");
    ASSERT_EQ(At(480).gate, 40);
    Undo(history, song, 99);
    EXPECT_EQ(At(0).gate, 240);
    EXPECT_EQ(At(0).strokeTime, 60);
    EXPECT_EQ(At(480).gate, 200);
    EXPECT_EQ(At(480).strokeTime, 50);
    EXPECT_EQ(At(480).velocity, 100);
}

TEST_F(EventFieldsTest, EveryExitRecordsAStepAlsoWithoutAChange) {
    PutFull(0, 80, 240, 60);
    SelectAndShow(0, 0);
    FieldExit(FieldId::Velocity, fields, song, history);
    FieldExit(FieldId::Gate, fields, song, history);
    FieldExit(FieldId::Stroke, fields, song, history);
    EXPECT_EQ(history.undoCount, 3);
    EXPECT_EQ(At(0).velocity, 80);
    EXPECT_EQ(At(0).gate, 240);
    EXPECT_EQ(At(0).strokeTime, 60);
}

TEST_F(EventFieldsTest, UpDownClicksStepWithinTheLimitsAndApplyAtOnce) {
    PutFull(0, 126, 240, 60);
    PutFull(480, 126, 240, 60);
    SelectAndShow(0, 0);
    FieldUpDownClick(FieldId::Velocity, 1, fields, song, history);
    EXPECT_EQ(fields.vel.text, "127");
    EXPECT_EQ(At(0).velocity, 127);
    FieldUpDownClick(FieldId::Velocity, 1, fields, song, history);
    EXPECT_EQ(fields.vel.text, "127");
    EXPECT_EQ(history.undoCount, 2);
    FieldUpDownClick(FieldId::Velocity, -1, fields, song, history);
    EXPECT_EQ(At(0).velocity, 126);
    EXPECT_EQ(At(480).velocity, 126); // not selected

    // The stroke time steps down to 20 at the least.
    fields.stroke.Type("21");
    FieldUpDownClick(FieldId::Stroke, -1, fields, song, history);
    FieldUpDownClick(FieldId::Stroke, -1, fields, song, history);
    EXPECT_EQ(fields.stroke.text, "20");
    EXPECT_EQ(At(0).strokeTime, 20);

    // The gate steps from the typed number, up to one tick short of the next event.
    fields.gate.Type("478");
    FieldUpDownClick(FieldId::Gate, 1, fields, song, history);
    FieldUpDownClick(FieldId::Gate, 1, fields, song, history);
    EXPECT_EQ(fields.gate.text, "479");
    EXPECT_EQ(At(0).gate, 479);
    EXPECT_EQ(fields.stroke.maximum, 479);
}

TEST_F(EventFieldsTest, AnUpDownClickOnAnEmptyFieldStepsFromTheLastPosition) {
    PutFull(0, 80, 240, 60);
    PutFull(480, 100, 240, 60);
    SelectAndShow(0, 0);
    fields.vel.Position(); // 80 taken over from the text
    SelectAndShow(0, 480);
    ASSERT_EQ(fields.vel.text, "");
    FieldUpDownClick(FieldId::Velocity, 1, fields, song, history);
    EXPECT_EQ(fields.vel.text, "81");
    EXPECT_EQ(At(0).velocity, 81);
    EXPECT_EQ(At(480).velocity, 81);
}

TEST_F(EventFieldsTest, EnterMovesTheFocusRound) {
    EXPECT_EQ(NextField(FieldId::Velocity), FieldId::Gate);
    EXPECT_EQ(NextField(FieldId::Gate), FieldId::Stroke);
    EXPECT_EQ(NextField(FieldId::Stroke), FieldId::Velocity);
}

TEST_F(EventFieldsTest, SpanWithEventsOffTheFortyTickRasterIsNotSelected) {
    PutFull(0, 80, 240, 60);
    SongEvent odd = Event(500, 70, 20);
    song.PutEvent(odd);
    song.SortEvents();
    SelectAndShow(0, 960);
    EXPECT_EQ(fields.vel.text, "80");
    EXPECT_EQ(fields.gate.maximum, 499);
    SelectAndShow(480, 520);
    EXPECT_FALSE(fields.vel.enabled);
}

} // namespace
} // namespace cadenzo::testing
