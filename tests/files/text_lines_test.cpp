#include "files/text_lines.h"

#include <gtest/gtest.h>

#include <vector>

namespace cadenzo {
namespace {

std::vector<std::string> Lines(std::string_view text) {
    LineReader reader(text);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.Next(line)) {
        lines.emplace_back(line);
        EXPECT_EQ(reader.LineNumber(), static_cast<int>(lines.size()));
    }
    return lines;
}

TEST(TextLines, LinesEndInCrLfOrLfAndTheLastMayLackItsEnd) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Lines("a\r\nb\r\n"), (V{"a", "b"}));
    EXPECT_EQ(Lines("a\nb"), (V{"a", "b"}));
    EXPECT_EQ(Lines("a\r\n\r\nb\r"), (V{"a", "", "b"}));
    EXPECT_EQ(Lines("x\ry\r\r\n"), (V{"x\ry\r"})); // only the CR of the line end goes
    EXPECT_EQ(Lines(""), V{});
    EXPECT_EQ(Lines("\r\n"), (V{""}));
}

struct DecimalCase {
    const char *text;
    bool ok;
    std::int32_t value;
};

void PrintTo(const DecimalCase &c, std::ostream *os) {
    *os << '"' << c.text << '"';
}

class ParseDecimalTest : public testing::TestWithParam<DecimalCase> {};

TEST_P(ParseDecimalTest, AcceptsOnlyASignedDecimalWithin32Bits) {
    const DecimalCase &c = GetParam();
    std::int32_t value = 12345;
    EXPECT_EQ(ParseDecimal(c.text, value), c.ok);
    EXPECT_EQ(value, c.ok ? c.value : 12345) << "a failed parse leaves the value";
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseDecimalTest,
                         testing::Values(DecimalCase{"0", true, 0}, DecimalCase{"-5", true, -5},
                                         DecimalCase{"+7", true, 7}, DecimalCase{"007", true, 7},
                                         DecimalCase{"2147483647", true, 2147483647},
                                         DecimalCase{"-2147483648", true, INT32_MIN},
                                         DecimalCase{"", false, 0}, DecimalCase{"-", false, 0},
                                         DecimalCase{"+", false, 0}, DecimalCase{"+-1", false, 0},
                                         DecimalCase{"2147483648", false, 0},
                                         DecimalCase{" 1", false, 0}, DecimalCase{"1 ", false, 0},
                                         DecimalCase{"1a", false, 0}, DecimalCase{"0x10", false, 0},
                                         DecimalCase{"True", false, 0}));

TEST(TextLines, WrittenLinesEndInCrLf) {
    std::string out;
    AppendLine(out, "name");
    AppendLine(out, -2147483633);
    AppendLine(out, "");
    EXPECT_EQ(out, "name\r\n-2147483633\r\n\r\n");
}

TEST(TextLines, LongLinesAreCutShortInMessages) {
    EXPECT_EQ(QuotedLine("abc"), "\"abc\"");
    EXPECT_EQ(QuotedLine(std::string(100, 'x')), "\"" + std::string(40, 'x') + "...\"");
}

} // namespace
} // namespace cadenzo
