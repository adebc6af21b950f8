#include "settings/ini_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/utf16.h"
#include "test_files.h"
#include "test_folder.h"

namespace vellum {
namespace {

bool FileExists(const std::string& path) {
    return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

const struct {
    const char* key;
    std::string value;
    std::string readBack;
} kRoundTrips[] = {
    {"TwoLines", "first\r\nsecond", "first\r\nsecond"},
    {"LeadingSpace", " abc", " abc"},
    {"LeadingTab", "\tabc", "\tabc"},
    {"LeadingSpaceWithQuotes", " say \"hi\" twice\"", " say \"hi\" twice\""},
    {"QuotesInside", "run \"C:\\a b\\t.exe\" now", "run \"C:\\a b\\t.exe\" now"},
    {"QuoteAtStartOnly", "\"abc", "abc"},
    {"Chinese", "D:\\截图\\ 屏幕 😀", "D:\\截图\\ 屏幕 😀"},
    {"ChineseLeadingSpaceTwoLines", " 第一行\r\n\"第二行\"", " 第一行\r\n\"第二行\""},
};

TEST(IniFile, NewFileIsUtf16AndEveryValueRoundTrips) {
    TestFolder folder("ini_roundtrip");
    const std::string ini = folder.path() + "设置.ini";
    for (const auto& c : kRoundTrips) WriteIniValue(ini, "PXGR_界面", c.key, c.value, false);

    EXPECT_EQ(FileBytes(ini).substr(0, 2), "\xFF\xFE");
    for (const auto& c : kRoundTrips)
        EXPECT_EQ(ReadIniValue(ini, "PXGR_界面", c.key, "missing"), c.readBack) << c.key;

    // The lines on disk are the encoded form earlier versions wrote and read.
    const std::string text = Utf16FileText(ini);
    EXPECT_NE(text.find("[PXGR_界面]"), std::string::npos) << text;
    EXPECT_NE(text.find("TwoLines=first\\r\\nsecond\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("LeadingSpaceWithQuotes=\" say /_y@hi/_y@ twice/_y@\"\r\n"),
              std::string::npos)
        << text;
}

TEST(IniFile, ReadStopsAt510Characters) {
    TestFolder folder("ini_cap");
    const std::string ini = folder.path() + "cap.ini";
    const std::string longValue(600, 'x');
    // An emoji across the cut: its first half is the 510th character.
    const std::string cutPair = std::string(509, 'y') + "😀" + "z";
    WriteIniValue(ini, "S", "Long", longValue, false);
    WriteIniValue(ini, "S", "CutPair", cutPair, false);
    WriteIniValue(ini, "S", "Exact", std::string(510, 'w'), false);

    EXPECT_EQ(ReadIniValue(ini, "S", "Long", ""), std::string(510, 'x'));
    EXPECT_EQ(ReadIniValue(ini, "S", "CutPair", ""), std::string(509, 'y'));
    EXPECT_EQ(ReadIniValue(ini, "S", "Exact", ""), std::string(510, 'w'));
}

TEST(IniFile, EmptyValueKeepsTheKey) {
    TestFolder folder("ini_empty");
    const std::string ini = folder.path() + "empty.ini";
    WriteIniValue(ini, "S", "Plain", "before", false);
    WriteIniValue(ini, "S", "Plain", "", false);
    WriteIniValue(ini, "S", "Cleared", "before", false);
    WriteIniValue(ini, "S", "Cleared", "ignored", true);

    EXPECT_EQ(ReadIniValue(ini, "S", "Plain", "default"), "");
    EXPECT_EQ(ReadIniValue(ini, "S", "Cleared", "default"), "");
    EXPECT_NE(Utf16FileText(ini).find("Cleared=\r\n"), std::string::npos);
}

TEST(IniFile, MissingFileSectionOrKeyGivesTheDecodedDefault) {
    TestFolder folder("ini_missing");
    const std::string ini = folder.path() + "missing.ini";
    EXPECT_EQ(ReadIniValue(ini, "S", "K", "a\\r\\nb"), "a\r\nb");
    EXPECT_FALSE(FileExists(ini)) << "a read must not create the file";

    WriteIniValue(ini, "S", "K", "v", false);
    EXPECT_EQ(ReadIniValue(ini, "S", "Other", "\"dflt\"x"), "dfltx");
    EXPECT_EQ(ReadIniValue(ini, "Other", "K", "截图"), "截图");

    // A folder that does not exist: nothing is written, nothing fails.
    const std::string nowhere = folder.path() + "no such folder\\x.ini";
    WriteIniValue(nowhere, "S", "K", "v", false);
    EXPECT_FALSE(FileExists(nowhere));
    EXPECT_EQ(ReadIniValue(nowhere, "S", "K", "d"), "d");
}

TEST(IniFile, ExistingAnsiFileIsUsedAsItIs) {
    TestFolder folder("ini_ansi");
    const std::string ini = folder.path() + "old.ini";
    const std::string before = "[S]\r\nOld=\" say /_y@hi/_y@\"\r\nPath=C:\\Pictures\r\n";
    WriteFileBytes(ini, before);

    WriteIniValue(ini, "S", "New", "two\r\nlines", false);

    const std::string after = FileBytes(ini);
    EXPECT_EQ(after.substr(0, before.size()), before) << "no byte-order mark, nothing rewritten";
    EXPECT_NE(after.find("New=two\\r\\nlines"), std::string::npos) << after;
    EXPECT_EQ(ReadIniValue(ini, "S", "Old", ""), " say \"hi\"");
    EXPECT_EQ(ReadIniValue(ini, "S", "Path", ""), "C:\\Pictures");
    EXPECT_EQ(ReadIniValue(ini, "S", "New", ""), "two\r\nlines");
}

TEST(IniFile, EmptyPathMeansSettingsIniBesideTheExecutable) {
    wchar_t exe[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    ASSERT_GT(n, 0u);
    std::wstring folder(exe, n);
    folder.erase(folder.find_last_of(L'\\'));
    const std::string settings = Narrow(folder) + "\\Settings.ini";
    ASSERT_EQ(DefaultIniPath(), settings);

    const bool existed = FileExists(settings);
    const std::string section = "VellumIniTest_" + std::to_string(GetCurrentProcessId());
    WriteIniValue("", section, "Written", " 图片 \"1\"", false);
    WriteIniValue(settings, section, "Explicit", "e", false);

    EXPECT_EQ(ReadIniValue(settings, section, "Written", ""), " 图片 \"1\"");
    EXPECT_EQ(ReadIniValue("", section, "Explicit", ""), "e");

    if (existed)
        WritePrivateProfileStringW(Widen(section).c_str(), nullptr, nullptr,
                                   Widen(settings).c_str());
    else
        DeleteFileW(Widen(settings).c_str());
}

}  // namespace
}  // namespace vellum
