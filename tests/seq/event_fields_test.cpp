#include "editing_fixture.h"
#include "seq/event_fields.h"

#include <gtest/gtest.h>

namespace cadenzo::testing {
namespace {

struct ExitCase {
    FieldId id;
    const char* typed;
    const char* text;   // the field afterwards
    std::int32_t value; // the selected events' value afterwards
};

class FieldExitTest : public EditingTest, public ::testing::WithParamInterface<ExitCase> {};

// Events at 0 and 480 selected (velocities 80 and 100, gate 240, stroke 60), one at 1920 not.
TEST_P(FieldExitTest, ValidatesThenAppliesToEverySelectedEvent) {
    const ExitCase c = GetParam();
    EventFields fields;
    put(0, 80, 240, 60);
    put(480, 100, 240, 60);
    put(1920, 90, 240, 60);
    select(0, 480);
    updateEventFields(fields, song, 0, 480);
    fields.Field(c.id).Type(c.typed);
    commitField(c.id, fields, song, history);
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
    // Recorded also when nothing changes (the random editing test undoes such steps byte for byte).
    EXPECT_EQ(history.undoCount, 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Fields, FieldExitTest, ::testing::Values(
    ExitCase{FieldId::Velocity, "", "0", 0}, // untouched empty field
    ExitCase{FieldId::Velocity, "64", "64", 64}, ExitCase{FieldId::Velocity, "300", "127", 127},
    ExitCase{FieldId::Gate, "-5", "20", 20}, ExitCase{FieldId::Gate, "", "20", 20},
    ExitCase{FieldId::Gate, "19", "20", 20},
    ExitCase{FieldId::Gate, "480", "479", 479}, // never reaches 480
    ExitCase{FieldId::Stroke, "100", "100", 100},
    ExitCase{FieldId::Stroke, "500", "240", 240}, // up to the gate
    ExitCase{FieldId::Stroke, "abc", "20", 20}));
// clang-format on

} // namespace
} // namespace cadenzo::testing
