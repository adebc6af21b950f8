#include "settings/interval.h"

#include <gtest/gtest.h>

namespace vellum {
namespace {

struct IntervalCase {
    std::string text;
    bool numeric;
    std::optional<int> interval;
};

const IntervalCase kCases[] = {
    {"200", true, 200},
    {"  200\t", true, 200},
    {"+5", true, 5},
    {"0", true, 0},
    {"-0", true, 0},
    {"0.5", true, 0},
    {"1.5", true, 2},
    {"2.5", true, 2},
    {"3.5", true, 4},
    {"-0.5", true, 0},
    {"2.4999999", true, 2},
    {"2.5000000000000000001", true, 3},  // beyond double precision, still above one half
    {"2.50000000000000000000", true, 2},
    {".5", true, 0},
    {"7.", true, 7},
    {"0003.50", true, 4},
    {"1e3", true, 1000},
    {"1E+3", true, 1000},
    {"25e-1", true, 2},
    {"35E-1", true, 4},
    {"0.0655345e6", true, 65534},
    {"65535", true, 65535},
    {"65535.4999", true, 65535},
    {"65534.5", true, 65534},
    {"65535.5", true, std::nullopt},
    {"65536", true, std::nullopt},
    {"100000", true, std::nullopt},
    {"-5", true, std::nullopt},
    {"-0.6", true, std::nullopt},
    {"1e400", true, std::nullopt},
    {"1e-400", true, 0},
    {"9e99999999999999999999999", true, std::nullopt},
    {"9e-99999999999999999999999", true, 0},
    {"0e99999999999999999999999", true, 0},
    {"", false, std::nullopt},
    {" \t ", false, std::nullopt},
    {"abc", false, std::nullopt},
    {"12ms", false, std::nullopt},
    {"1,5", false, std::nullopt},
    {"1.2.3", false, std::nullopt},
    {".", false, std::nullopt},
    {"+", false, std::nullopt},
    {"--1", false, std::nullopt},
    {"1 2", false, std::nullopt},
    {"1e", false, std::nullopt},
    {"1e+", false, std::nullopt},
    {"e5", false, std::nullopt},
    {"0x10", false, std::nullopt},
    {"\xEF\xBC\x91\xEF\xBC\x92", false, std::nullopt},  // full-width 12
    {"1\n", false, std::nullopt},
};

TEST(Interval, NumericTestAndRoundedConversion) {
    for (const IntervalCase& c : kCases) {
        EXPECT_EQ(IsIntervalNumeric(c.text), c.numeric) << '"' << c.text << '"';
        EXPECT_EQ(IntervalFromText(c.text), c.interval) << '"' << c.text << '"';
    }
}

// Every whole number of the range converts to itself; one past either end does not.
TEST(Interval, WholeRangeConvertsExactly) {
    for (int ms = 0; ms <= kMaxIntervalMs; ++ms)
        ASSERT_EQ(IntervalFromText(std::to_string(ms)), ms);
    EXPECT_EQ(IntervalFromText(std::to_string(kMaxIntervalMs + 1)), std::nullopt);
    EXPECT_EQ(IntervalFromText("-1"), std::nullopt);
}

}  // namespace
}  // namespace vellum
