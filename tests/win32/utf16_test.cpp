#include "platform/utf16.h"

#include <gtest/gtest.h>

namespace vellum {
namespace {

TEST(Utf16, ChineseAndAstralTextRoundTrips) {
    const std::string text = "栖木抓屏精灵 C:\\图片\\ 😀";
    const std::wstring wide = Widen(text);
    EXPECT_EQ(wide.substr(0, 6), L"栖木抓屏精灵");
    EXPECT_EQ(Narrow(wide), text);
    EXPECT_EQ(Widen(""), L"");
}

}  // namespace
}  // namespace vellum
