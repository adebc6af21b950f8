#include "settings/ini_encoding.h"

#include <gtest/gtest.h>

namespace vellum {
namespace {

struct RoundTrip {
    const char* name;
    std::string value;   // what the program writes
    std::string stored;  // what goes into the file after "key="
};

// Every text reads back exactly: stored on one line, through the platform's read and the decoding.
const RoundTrip kRoundTrips[] = {
    // The classic form, byte for byte what earlier versions wrote and still read.
    {"Plain", "PXGR_Cap_", "PXGR_Cap_"},
    {"Empty", "", ""},
    {"TwoLines", "first\r\nsecond", "first\\r\\nsecond"},
    {"LeadingSpace", " abc", "\" abc\""},
    {"LeadingTab", "\tabc", "\"\tabc\""},
    {"LeadingAndTrailingSpace", " abc ", "\" abc \""},
    {"OnlyBlanks", " \t ", "\" \t \""},
    {"LeadingSpaceWithQuotes", " say \"hi\" twice\"", "\" say /_y@hi/_y@ twice/_y@\""},
    {"QuotesInside", "run \"C:\\a b\\t.exe\" now", "run \"C:\\a b\\t.exe\" now"},
    {"QuoteAtTheEnd", "abc\"", "abc\""},
    {"Chinese", "D:\\截图\\ 屏幕", "D:\\截图\\ 屏幕"},
    {"ChineseLeadingSpaceTwoLines", " 第一行\r\n\"第二行\"", "\" 第一行\\r\\n/_y@第二行/_y@\""},
    {"StandInWithoutLeadingBlank", "a/_y@b", "a/_y@b"},
    {"LoneSingleQuote", "'", "'"},
    // Quoted as a whole: earlier versions read these back exactly too.
    {"TrailingSpace", "截图 ", "\"截图 \""},
    {"TrailingTab", "Cap\t", "\"Cap\t\""},
    {"TrailingIdeographicSpace", "截图\u3000", "\"截图\u3000\""},
    {"LeadingIdeographicSpace", "\u3000截图", "\"\u3000截图\""},
    {"TrailingBlankTwoLines", "a\r\nb ", "\"a\\r\\nb \""},
    {"InSingleQuotes", "'abc'", "\"'abc'\""},
    {"InDoubleQuotesAfterText", "x \"y\" ", "\"x \"y\" \""},
    // The escaped form: the only one that begins with a double quote once read.
    {"LiteralBackslashRBackslashN", "C:\\work\\r\\notes\\", "\"\"C:\\\\work\\\\r\\\\notes\\\\\""},
    {"LiteralStandInAfterLeadingBlank", " a/_y@b", "\"\" a/_y@b\""},
    {"LeadingQuote", "\"abc", "\"\"\"abc\""},
    {"EnclosedInDoubleQuotes", "\"abc\"", "\"\"\"abc\"\""},
    {"OneDoubleQuote", "\"", "\"\"\"\""},
    {"LoneLineFeed", "a\nb", "\"\"a\\nb\""},
    {"LoneCarriageReturn", "a\rb", "\"\"a\\rb\""},
    {"LineBreakAndLiteralEscape", "x\r\n\\r\\n", "\"\"x\\r\\n\\\\r\\\\n\""},
};

class IniEncodingRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(IniEncodingRoundTrip, StoresOnOneLineAndReadsBackExactly) {
    const RoundTrip& c = GetParam();
    EXPECT_EQ(EncodeIniValue(c.value), c.stored);
    EXPECT_EQ(DecodeIniValue(PlatformReadBack(c.stored)), c.value);
}

INSTANTIATE_TEST_SUITE_P(Values, IniEncodingRoundTrip, testing::ValuesIn(kRoundTrips),
                         [](const testing::TestParamInfo<RoundTrip>& info) {
                             return std::string(info.param.name);
                         });

TEST(IniEncoding, PlatformReadDropsBlanksAroundAndOnePairOfEnclosingQuotes) {
    const struct {
        std::string written;
        std::string read;
    } cases[] = {
        {"  abc \t", "abc"},      {"\" abc \"", " abc "}, {"'x'", "x"},
        {"\"\"x\"\"", "\"x\""},   {"\"x'", "\"x'"},       {"\"", "\""},
        {"\u3000a\u00a0", "a"},   {" \"a\" ", "a"},       {"", ""},
        {"\xe3\x80", "\xe3\x80"},  // a cut character is no blank
    };
    for (const auto& c : cases) EXPECT_EQ(PlatformReadBack(c.written), c.read) << c.written;
}

// Files written by earlier versions, and defaults, read back as they always did, apart from texts
// that began with a double quote once read (those never read back as they were written).
TEST(IniEncoding, ClassicTextsDecodeAsBefore) {
    const struct {
        std::string platformRead;
        std::string value;
    } cases[] = {
        {"a/_y@b", "a/_y@b"},                  // no leading blank: /_y@ kept
        {" a/_y@b/_y@", " a\"b\""},            // leading blank: /_y@ is a double quote
        {"x\"y\"", "x\"y\""},                  // quotes after the start are kept
        {"line\\r\\n\\r\\n", "line\r\n\r\n"},  // \r\n is a line break
        {"C:\\a\\b", "C:\\a\\b"},              // other backslashes are kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeIniValue(c.platformRead), c.value) << c.platformRead;
}

TEST(IniEncoding, EscapedFormKeepsUnknownEscapesAndALastBackslash) {
    EXPECT_EQ(DecodeIniValue("\"a\\tb\\"), "a\\tb\\");
    EXPECT_EQ(DecodeIniValue("\""), "");
}

}  // namespace
}  // namespace vellum
