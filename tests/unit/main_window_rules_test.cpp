#include "app/main_window_rules.h"

#include <gtest/gtest.h>

namespace vellum {
namespace {

TEST(StartsInBackground, OnlyTheExactArgument) {
    EXPECT_TRUE(StartsInBackground("/a"));
    for (const char* shown : {"", "/A", "/a x", " /a", "/a ", "a", "/ab"})
        EXPECT_FALSE(StartsInBackground(shown)) << "'" << shown << "'";
}

TEST(OutputFolder, TheTemporaryFolderWithOneTrailingBackslash) {
    EXPECT_EQ(DefaultOutputFolder(std::nullopt), "");
    EXPECT_EQ(DefaultOutputFolder(std::string()), "");
    EXPECT_EQ(DefaultOutputFolder(std::string("C:\\temp")), "C:\\temp\\");
    EXPECT_EQ(DefaultOutputFolder(std::string("C:\\临时\\")), "C:\\临时\\");
}

TEST(ParseColorTag, DecimalTextOrNoColour) {
    const struct {
        const char* text;
        int32_t colour;
    } cases[] = {
        {"255", 255},
        {"-1", -1},
        {"16711680", 0xFF0000},
        {"+7", 7},
        {"0", 0},
        {"", -1},
        {"-", -1},
        {"12a", -1},
        {" 5", -1},
        {"0x10", -1},
        {"1.5", -1},
        {"2147483647", 2147483647},
        {"2147483648", -1},
        {"-2147483648", INT32_MIN},
        {"99999999999999999999", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseColorTag(c.text), c.colour) << c.text;
}

TEST(StatusTexts, ARefusedSaveSaysWhy) {
    EXPECT_EQ(SaveRefusedStatus("C:\\a\\Cap:1.png", "why"), "保存失败:C:\\a\\Cap:1.png (why)");
}

}  // namespace
}  // namespace vellum
