#include <gtest/gtest.h>

#include "base/command_lines.h"
#include "base/path_utils.h"
#include "base/program_identity.h"

namespace vellum {
namespace {

TEST(GetParentPath, Table) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"C:\\a\\b\\c.txt", "C:\\a\\b"},
        {"C:\\a\\b\\", "C:\\a"},
        {"C:\\", ""},
        {"d:/x/y.png", "d:/x"},
        {"file.txt", ""},
        {"", ""},
        {"d:/x\\y/z", "d:/x/y"},
        {"\\\\srv\\share\\f", "\\\\srv\\share"},
    };
    for (const auto& c : cases) EXPECT_EQ(GetParentPath(c.in), c.out) << c.in;
}

TEST(FolderWithSeparator, Table) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"C:\\Tools\\x.exe", "C:\\Tools\\"},
        {"C:\\x.exe", "C:\\"},
        {"C:\\a\\", "C:\\a\\"},
        {"mspaint.exe", ""},
        {"", ""},
        {"d:/x/y.png", ""},
        {"\\\\srv\\share\\f", "\\\\srv\\share\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(FolderWithSeparator(c.in), c.out) << c.in;
}

TEST(WithoutTrailingBackslash, RemovesOneBackslash) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"C:\\", "C:"},
        {"C:\\Temp\\", "C:\\Temp"},
        {"C:\\Temp", "C:\\Temp"},
        {"\\\\", "\\"},
        {"", ""},
        {"D:\\截图 测试\\", "D:\\截图 测试"},
    };
    for (const auto& c : cases) EXPECT_EQ(WithoutTrailingBackslash(c.in), c.out) << c.in;
}

TEST(WithTrailingBackslash, AddsOneWhereNoneIs) {
    EXPECT_EQ(WithTrailingBackslash(""), "\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\x"), "C:\\x\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\x\\"), "C:\\x\\");
}

TEST(Identity, BaseNameApplicationNameAndStoreKey) {
    EXPECT_EQ(ExeBaseName("C:\\Program Files\\Vellum\\Vellum_Capture.exe"), "Vellum_Capture");
    EXPECT_EQ(ExeBaseName("Z:/x.y/抓屏.EXE"), "抓屏");
    EXPECT_EQ(ExeBaseName("noext"), "noext");
    EXPECT_EQ(ApplicationName("Vellum_Capture"), "PXGR_Vellum_Capture");
    EXPECT_EQ(SettingsStoreKey("PXGR_Vellum_Capture", "Form1"),
              "Software\\PXGR_Vellum_Capture\\Form1");
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
    EXPECT_EQ(ExplorerCommandLine("C:\\图 片\\"), "explorer \"C:\\图 片\\\"");
}

}  // namespace
}  // namespace vellum
