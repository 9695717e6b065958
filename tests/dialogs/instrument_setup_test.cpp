#include "dialogs/instrument_setup.h"

#include <gtest/gtest.h>

#include <tuple>

namespace cadenzo {
namespace {

// Typed text -> the value the box is held at, and whether the box must show it instead.
TEST(InstrumentSetup, NumberBoxesAreHeldWithinTheirLimits) {
    const std::tuple<const char*, int, int, int, bool> cases[] = {
        {"0", 1, 16, 1, true},           {"x", 1, 16, 1, true},   {"", 1, 16, 1, true},
        {"20", 1, 16, 16, true},         {"7", 1, 16, 7, false},  {"07", 1, 16, 7, false},
        {"200", 0, 127, 127, true},      {"-3", 0, 127, 0, true}, {"12a", 0, 127, 0, true},
        {"99999999999", 1, 16, 16, true}};
    for (const auto& [text, minimum, maximum, value, changed] : cases) {
        const CheckedNumber got = checkNumberText(text, minimum, maximum);
        EXPECT_EQ(std::pair(got.value, got.changed), std::pair(value, changed)) << text;
    }
}

} // namespace
} // namespace cadenzo
