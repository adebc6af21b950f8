#include "platform/autorun_entry.h"

#include <gtest/gtest.h>

namespace vellum {
namespace {

TEST(AutorunEntry, DefaultsComeFromTheExecutablePath) {
    const struct {
        const char* exePath;
        const char* arguments;
        const char* valueName;
        const char* command;
    } cases[] = {
        {"D:\\Tools\\Vellum_Capture.exe", "/a", "Vellum_Capture",
         "\"D:\\Tools\\Vellum_Capture.exe\" /a"},
        {"C:\\Program Files\\抓屏\\Vellum_Capture.exe", "/a", "Vellum_Capture",
         "\"C:\\Program Files\\抓屏\\Vellum_Capture.exe\" /a"},
        {"C:\\Vellum_Capture.exe", "/a", "Vellum_Capture", "\"C:\\Vellum_Capture.exe\" /a"},
        {"D:\\x\\Renamed.v2.exe", "", "Renamed.v2", "\"D:\\x\\Renamed.v2.exe\""},
        {"D:\\x\\VELLUM.EXE", "/a /b", "VELLUM", "\"D:\\x\\VELLUM.exe\" /a /b"},
        {"Vellum_Capture.exe", "/a", "Vellum_Capture", "\"Vellum_Capture.exe\" /a"},
    };
    for (const auto& c : cases) {
        std::string valueName;
        std::string command;
        EXPECT_TRUE(CompleteAutorunEntry(c.exePath, valueName, command, c.arguments));
        EXPECT_EQ(valueName, c.valueName) << c.exePath;
        EXPECT_EQ(command, c.command) << c.exePath;
    }
}

TEST(AutorunEntry, GivenNamesAndCommandsAreKeptAndArgumentsStillAppended) {
    std::string valueName = "我的程序";
    std::string command = "\"E:\\other.exe\"";
    EXPECT_TRUE(CompleteAutorunEntry("D:\\Tools\\Vellum_Capture.exe", valueName, command, "/a"));
    EXPECT_EQ(valueName, "我的程序");
    EXPECT_EQ(command, "\"E:\\other.exe\" /a");

    valueName.clear();
    command = "notepad";
    EXPECT_TRUE(CompleteAutorunEntry("D:\\Tools\\Vellum_Capture.exe", valueName, command, ""));
    EXPECT_EQ(valueName, "Vellum_Capture");
    EXPECT_EQ(command, "notepad");
}

TEST(AutorunEntry, AnUnknownExecutableGivesNoDefaults) {
    std::string valueName;
    std::string command;
    EXPECT_FALSE(CompleteAutorunEntry("", valueName, command, "/a"));
    EXPECT_EQ(valueName, "");
    EXPECT_EQ(command, "");
    command = "\"E:\\other.exe\"";
    EXPECT_FALSE(CompleteAutorunEntry("", valueName, command, "/a"));
    EXPECT_EQ(command, "\"E:\\other.exe\"");
    // Nothing left to default: the path is not needed.
    valueName = "Other";
    EXPECT_TRUE(CompleteAutorunEntry("", valueName, command, "/a"));
    EXPECT_EQ(command, "\"E:\\other.exe\" /a");
}

TEST(AutorunEntry, CommandIsTheQuotedPathWithOneSeparator) {
    EXPECT_EQ(QuotedExeCommand("D:\\Tools\\Vellum_Capture.exe"),
              "\"D:\\Tools\\Vellum_Capture.exe\"");
    EXPECT_EQ(QuotedExeCommand("C:\\Vellum_Capture.exe"), "\"C:\\Vellum_Capture.exe\"");
    EXPECT_EQ(QuotedExeCommand("Vellum_Capture.exe"), "\"Vellum_Capture.exe\"");
    EXPECT_EQ(QuotedExeCommand("D:\\带 空格\\a.exe"), "\"D:\\带 空格\\a.exe\"");
}

TEST(AutorunEntry, OnlyACheckedBoxKeepsTheEntry) {
    EXPECT_FALSE(AutorunRemovesEntry(1));
    EXPECT_TRUE(AutorunRemovesEntry(0));
    EXPECT_TRUE(AutorunRemovesEntry(2));
}

}  // namespace
}  // namespace vellum
