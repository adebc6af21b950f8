#include "capture/save_error.h"

#include <gtest/gtest.h>

namespace vellum {
namespace {

TEST(SaveError, MessageLayout) {
    EXPECT_EQ(
        SaveErrorMessage(126, "找不到模块 (gdiplus.dll)"),
        "在保存图片的过程中发生错误:\r\n\r\n错误号:  126\r\n错误描述:  找不到模块 (gdiplus.dll)");
    EXPECT_EQ(SaveErrorMessage(4294967295u, ""),
              "在保存图片的过程中发生错误:\r\n\r\n错误号:  4294967295\r\n错误描述:  ");
    EXPECT_STREQ(kSaveErrorCaption, "错误");
}

TEST(SaveError, SystemTextLosesItsLineBreakAndNamesWhatIsMissing) {
    const std::pair<const char*, const char*> cases[] = {
        {"Module not found.\r\n", "Module not found. (gdiplus.dll)"},
        {"Module not found. \t\r\n\r\n", "Module not found. (gdiplus.dll)"},
        {"\r\n", "(gdiplus.dll)"},
        {"", "(gdiplus.dll)"},
        {"a\r\nb\r\n", "a\r\nb (gdiplus.dll)"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(DescribeSystemFault(text, "gdiplus.dll"), expected) << text;
}

TEST(SaveError, UnsupportedFormatNamesTheExtension) {
    const std::string d = DescribeUnsupportedFormat("BMP");
    EXPECT_NE(d.find("\"BMP\""), std::string::npos) << d;
}

}  // namespace
}  // namespace vellum
