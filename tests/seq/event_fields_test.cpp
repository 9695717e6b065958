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
    const SongEvent& At(std::int32_t tick) const { return song.songEvents[song.FindEvent(tick)]; }
    void TypeAndLeave(FieldId id, const std::string& text) {
        fields.Field(id).Type(text);
        FieldExit(id, fields, song, history);
    }
};

TEST(NumFieldTest, OnlyAWholeDecimalTextConvertsAndMovesThePosition) {
    NumField field;
    for (const char* bad : {"", "-", "+-5", "12a", " 5", "1e3", "0x10", "99999999999"}) {
        field.text = bad;
        EXPECT_EQ(field.Number(), std::nullopt) << '"' << bad << '"';
    }
    field.text = "+7";
    EXPECT_EQ(field.Number(), 7);
    EventFields fields;
    fields.vel.Type("1000");
    EXPECT_EQ(fields.vel.text, "100"); // three characters at most
    EXPECT_EQ(fields.vel.Position(), 100);
    fields.vel.Type("abc");
    fields.vel.Type("200"); // out of the limits
    EXPECT_EQ(fields.vel.Position(), 100);
    fields.vel.SetPosition(300);
    EXPECT_EQ(fields.vel.text, "127");
}

TEST_F(EventFieldsTest, ShowsCommonValuesAndTheLimitsOfTheSpan) {
    PutFull(0, 80, 240, 60);
    PutFull(480, 100, 240, 40);
    PutFull(720, 100, 40, 20);
    PutFull(1920, 100, 40, 20);
    SelectAndShow(480, 0); // either order
    EXPECT_EQ(fields.vel.text, "");
    EXPECT_EQ(fields.gate.text, "240");
    EXPECT_EQ(fields.stroke.text, "");
    EXPECT_TRUE(fields.vel.enabled && fields.gate.enabled && fields.stroke.enabled);
    EXPECT_EQ(fields.gate.maximum, 239); // the tightest following event: 720 after 480
    EXPECT_EQ(fields.stroke.minimum, 20);
    EXPECT_EQ(fields.stroke.maximum, 240);
    SelectAndShow(0, 0);
    EXPECT_EQ(fields.gate.maximum, 479);
    SelectAndShow(1920, 1920); // nothing follows
    EXPECT_EQ(fields.gate.maximum, 32767);
    SelectAndShow(960, 1440); // an empty span disables the fields, keeps the texts, takes no click
    EXPECT_FALSE(fields.vel.enabled || fields.gate.enabled || fields.stroke.enabled);
    EXPECT_EQ(fields.vel.text, "100");
    FieldUpDownClick(FieldId::Velocity, 1, fields, song, history);
    EXPECT_EQ(history.undoCount, 0);
    EXPECT_EQ(fields.vel.text, "100");
}

struct ExitCase {
    FieldId id;
    const char* typed;
    const char* text;   // the field afterwards
    std::int32_t value; // the selected events' value afterwards
};

class FieldExitTest : public EventFieldsTest, public ::testing::WithParamInterface<ExitCase> {};

// Events at 0 and 480 selected (velocities 80 and 100, gate 240, stroke 60), one at 1920 not.
TEST_P(FieldExitTest, ValidatesThenAppliesToEverySelectedEvent) {
    const ExitCase c = GetParam();
    PutFull(0, 80, 240, 60);
    PutFull(480, 100, 240, 60);
    PutFull(1920, 90, 240, 60);
    SelectAndShow(0, 480);
    TypeAndLeave(c.id, c.typed);
    EXPECT_EQ(fields.Field(c.id).text, c.text);
    for (std::int32_t t : {0, 480}) {
        const SongEvent& e = At(t);
        EXPECT_EQ(c.id == FieldId::Velocity ? e.velocity
                  : c.id == FieldId::Gate   ? e.gate
                                            : e.strokeTime,
                  c.value)
            << "event at " << t;
    }
    const SongEvent& other = At(1920);
    EXPECT_TRUE(other.velocity == 90 && other.gate == 240 && other.strokeTime == 60);
    EXPECT_EQ(history.undoCount, 1); // recorded also when nothing changes
    EXPECT_TRUE(SongInvariantsHold(song));
    Undo(history, song, 99);
    EXPECT_EQ(At(0).velocity, 80);
    EXPECT_EQ(At(480).gate, 240);
    EXPECT_EQ(At(480).strokeTime, 60);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldExitTest,
    ::testing::Values(
        ExitCase{FieldId::Velocity, "", "0", 0}, // untouched empty field
        ExitCase{FieldId::Velocity, "64", "64", 64}, ExitCase{FieldId::Velocity, "300", "127", 127},
        ExitCase{FieldId::Velocity, "-5", "0", 0}, ExitCase{FieldId::Gate, "-5", "20", 20},
        ExitCase{FieldId::Gate, "", "20", 20}, ExitCase{FieldId::Gate, "19", "20", 20},
        ExitCase{FieldId::Gate, "240", "240", 240},
        ExitCase{FieldId::Gate, "480", "479", 479}, // never reaches 480
        ExitCase{FieldId::Stroke, "100", "100", 100},
        ExitCase{FieldId::Stroke, "500", "240", 240}, // up to the gate
        ExitCase{FieldId::Stroke, "abc", "20", 20}));

TEST_F(EventFieldsTest, LoweringTheGateBelowTheStrokeTimeTakesTheStrokeTimeAlong) {
    PutFull(0, 90, 240, 60);
    SelectAndShow(0, 0);
    TypeAndLeave(FieldId::Gate, "100");
    EXPECT_EQ(At(0).strokeTime, 60);
    TypeAndLeave(FieldId::Gate, "40");
    EXPECT_EQ(At(0).gate, 40);
    EXPECT_EQ(At(0).strokeTime, 40);
    EXPECT_EQ(fields.stroke.text, "40");
    TypeAndLeave(FieldId::Gate, "240");
    EXPECT_EQ(At(0).strokeTime, 40);
    EXPECT_EQ(fields.stroke.maximum, 240);
}

TEST_F(EventFieldsTest, UpDownClicksStepFromTheTextOrTheLastPositionWithinTheLimits) {
    PutFull(0, 126, 240, 60);
    PutFull(480, 100, 240, 60);
    SelectAndShow(0, 0);
    FieldUpDownClick(FieldId::Velocity, 1, fields, song, history);
    FieldUpDownClick(FieldId::Velocity, 1, fields, song, history);
    EXPECT_EQ(fields.vel.text, "127");
    EXPECT_EQ(At(0).velocity, 127);
    EXPECT_EQ(history.undoCount, 2);
    fields.gate.Type("478");
    FieldUpDownClick(FieldId::Gate, 1, fields, song, history);
    FieldUpDownClick(FieldId::Gate, 1, fields, song, history);
    EXPECT_EQ(At(0).gate, 479);
    SelectAndShow(0, 480); // velocities differ: the field is empty
    FieldUpDownClick(FieldId::Velocity, -1, fields, song, history);
    EXPECT_EQ(fields.vel.text, "126");
    EXPECT_EQ(At(480).velocity, 126);
    EXPECT_EQ(NextField(FieldId::Stroke), FieldId::Velocity);
}

// A paste does not refresh the fields: the gate limit shown before it allowed a gate reaching
// past the pasted event.
TEST_F(EventFieldsTest, GateLimitFollowsAnEventPastedAfterTheFieldsWereShown) {
    PutFull(0, 90, 240, 60);
    SelectAndShow(0, 0);
    Copy(song);
    Paste(history, song, 480);
    TypeAndLeave(FieldId::Gate, "1000");
    EXPECT_EQ(fields.gate.text, "479");
    EXPECT_TRUE(SongInvariantsHold(song));
}

} // namespace
} // namespace cadenzo::testing
