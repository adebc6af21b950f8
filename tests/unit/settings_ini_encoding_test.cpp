#include "settings/ini_encoding.h"

#include <gtest/gtest.h>

namespace vellum {
namespace {

struct RoundTrip {
    const char* name;
    std::string value;         // what the program writes
    std::string stored;        // what goes into the file
    std::string platformRead;  // what the platform's read returns: enclosing quotes removed
    std::string readBack;      // what the program reads back
};

const RoundTrip kRoundTrips[] = {
    {"TwoLines", "first\r\nsecond", "first\\r\\nsecond", "first\\r\\nsecond", "first\r\nsecond"},
    {"LeadingSpace", " abc", "\" abc\"", " abc", " abc"},
    {"LeadingTab", "\tabc", "\"\tabc\"", "\tabc", "\tabc"},
    {"LeadingSpaceWithQuotes", " say \"hi\" twice\"", "\" say /_y@hi/_y@ twice/_y@\"",
     " say /_y@hi/_y@ twice/_y@", " say \"hi\" twice\""},
    {"QuotesInside", "run \"C:\\a b\\t.exe\" now", "run \"C:\\a b\\t.exe\" now",
     "run \"C:\\a b\\t.exe\" now", "run \"C:\\a b\\t.exe\" now"},
    // Not wrapped on writing, so the read drops every double quote, as it always did.
    {"QuoteAtStartOnly", "\"abc", "\"abc", "\"abc", "abc"},
    {"Chinese", "D:\\截图\\ 屏幕", "D:\\截图\\ 屏幕", "D:\\截图\\ 屏幕", "D:\\截图\\ 屏幕"},
    {"ChineseLeadingSpaceTwoLines", " 第一行\r\n\"第二行\"", "\" 第一行\\r\\n/_y@第二行/_y@\"",
     " 第一行\\r\\n/_y@第二行/_y@", " 第一行\r\n\"第二行\""},
    {"Empty", "", "", "", ""},
};

class IniEncodingRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(IniEncodingRoundTrip, StoresOnOneLineAndReadsBack) {
    const RoundTrip& c = GetParam();
    EXPECT_EQ(EncodeIniValue(c.value), c.stored);
    EXPECT_EQ(DecodeIniValue(c.platformRead), c.readBack);
}

INSTANTIATE_TEST_SUITE_P(Values, IniEncodingRoundTrip, testing::ValuesIn(kRoundTrips),
                         [](const testing::TestParamInfo<RoundTrip>& info) {
                             return std::string(info.param.name);
                         });

TEST(IniEncoding, OnlyCrLfPairsBecomeEscapes) {
    EXPECT_EQ(EncodeIniValue("a\rb\nc\n\r\r\nd"), "a\rb\nc\n\r\\r\\nd");
    EXPECT_EQ(DecodeIniValue("a\\rb\\nc\\r\\n"), "a\\rb\\nc\r\n");
}

// Files written by earlier versions, and defaults, read back as they always did.
TEST(IniEncoding, TextsNotWrappedOnWritingDecodeAsBefore) {
    const struct {
        std::string platformRead;
        std::string value;
    } cases[] = {
        {"\"C:\\x\" /_y@ \"", "C:\\x \" "},  // leading quote: all quotes go, /_y@ restored
        {"a/_y@b", "a/_y@b"},                // no leading quote or blank: /_y@ kept
        {"x\"y\"", "x\"y\""},                // quotes after the start are kept
        {"line\\r\\n\\r\\n", "line\r\n\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeIniValue(c.platformRead), c.value) << c.platformRead;
}

}  // namespace
}  // namespace vellum
