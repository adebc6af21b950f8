#include "app/main_window_rules.h"

#include <gtest/gtest.h>

namespace vellum {
namespace {

TEST(StartsInBackground, OnlyTheExactArgument) {
    EXPECT_TRUE(StartsInBackground("/a"));
    for (const char* shown : {"", "/A", "/a x", " /a", "/a ", "a", "/ab"})
        EXPECT_FALSE(StartsInBackground(shown)) << "'" << shown << "'";
}

TEST(OutputFolder, KeepsOneTrailingBackslash) {
    EXPECT_EQ(WithTrailingBackslash(""), "\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\x"), "C:\\x\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\x\\"), "C:\\x\\");
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

TEST(CommandLines, QuoteEveryPath) {
    // Hostile but valid paths stay one quoted argument each: no shell reads the line.
    const struct {
        std::string tool;
        std::string file;
    } cases[] = {
        {"C:\\My Tools\\v.exe", "C:\\My Pics\\a 1.png"},
        {"C:\\a&b\\x^y.exe", "C:\\100% 截图\\R&D ^1.png"},
        {"D:\\工具 箱\\看图.exe", "D:\\%PATH%\\!x!.png"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToolCommandLine(c.tool, c.file), "\"" + c.tool + "\" \"" + c.file + "\"");
        EXPECT_TRUE(IsUsableToolPath(c.tool)) << c.tool;
    }
    // A double quote would end the argument early and let the rest run as more arguments.
    for (const std::string tool : {"C:\\a\" \"b.exe", "\"C:\\v.exe\"", "v.exe\n", "\x01"})
        EXPECT_FALSE(IsUsableToolPath(tool)) << tool;
    EXPECT_EQ(SaveRefusedStatus("C:\\a\\Cap:1.png", "why"), "保存失败:C:\\a\\Cap:1.png (why)");
    EXPECT_EQ(ExplorerCommandLine("C:\\图 片\\"), "explorer \"C:\\图 片\\\"");
}

TEST(Identity, BaseNameApplicationNameAndStoreKey) {
    EXPECT_EQ(ExeBaseName("C:\\Program Files\\Vellum\\Vellum_Capture.exe"), "Vellum_Capture");
    EXPECT_EQ(ExeBaseName("Z:/x.y/抓屏.EXE"), "抓屏");
    EXPECT_EQ(ExeBaseName("noext"), "noext");
    EXPECT_EQ(ApplicationName("Vellum_Capture"), "PXGR_Vellum_Capture");
    EXPECT_EQ(SettingsStoreKey("PXGR_Vellum_Capture", "Form1"),
              "Software\\PXGR_Vellum_Capture\\Form1");
}

}  // namespace
}  // namespace vellum
