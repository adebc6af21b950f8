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

// Every text a text box can hold reads back exactly through the platform's own read.
const struct {
    const char* key;
    std::string value;
} kRoundTrips[] = {
    {"TwoLines", "first\r\nsecond"},
    {"LeadingSpace", " abc"},
    {"LeadingTab", "\tabc"},
    {"LeadingSpaceWithQuotes", " say \"hi\" twice\""},
    {"QuotesInside", "run \"C:\\a b\\t.exe\" now"},
    {"QuoteAtStartOnly", "\"abc"},
    {"EnclosedInQuotes", "\"abc\""},
    {"EnclosedInSingleQuotes", "'abc'"},
    {"Chinese", "D:\\截图\\ 屏幕 😀"},
    {"ChineseLeadingSpaceTwoLines", " 第一行\r\n\"第二行\""},
    {"TrailingBlanks", "截图 \t "},
    {"TrailingIdeographicSpace", "截图\u3000"},
    {"LiteralEscapeInPath", "C:\\work\\r\\notes\\"},
    {"LiteralStandInAfterBlank", " a/_y@b"},
    {"LoneLineBreaks", "a\nb\rc"},
    {"EverythingAtOnce", " \"x\" /_y@ \\r\\n\r\n\t截图 "},
};

TEST(IniFile, NewFileIsUtf16AndEveryValueRoundTrips) {
    TestFolder folder("ini_roundtrip");
    const std::string ini = folder.path() + "设置.ini";
    for (const auto& c : kRoundTrips) WriteIniValue(ini, "PXGR_界面", c.key, c.value, false);

    EXPECT_EQ(FileBytes(ini).substr(0, 2), "\xFF\xFE");
    for (const auto& c : kRoundTrips)
        EXPECT_EQ(ReadIniValue(ini, "PXGR_界面", c.key, "missing"), c.value) << c.key;

    // Texts that always read back keep the lines earlier versions wrote and read.
    const std::string text = Utf16FileText(ini);
    EXPECT_NE(text.find("[PXGR_界面]"), std::string::npos) << text;
    for (const char* line : {"TwoLines=first\\r\\nsecond\r\n",
                             "LeadingSpaceWithQuotes=\" say /_y@hi/_y@ twice/_y@\"\r\n",
                             "TrailingBlanks=\"截图 \t \"\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in " << text;
}

TEST(IniFile, LongValuesReadBackWhole) {
    TestFolder folder("ini_long");
    const std::string ini = folder.path() + "long.ini";
    const std::string deepFolder = "C:\\" + std::string(600, 'x') + "\\截图\\";
    const std::string huge(40000, 'y');
    const std::string quoted = "\"" + std::string(2000, 'q') + "\"";  // the escaped form, long
    WriteIniValue(ini, "S", "Deep", deepFolder, false);
    WriteIniValue(ini, "S", "Huge", huge, false);
    WriteIniValue(ini, "S", "Quoted", quoted, false);
    WriteIniValue(ini, "S", "Exact", std::string(511, 'w'), false);

    EXPECT_EQ(ReadIniValue(ini, "S", "Deep", ""), deepFolder);
    EXPECT_EQ(ReadIniValue(ini, "S", "Huge", ""), huge);
    EXPECT_EQ(ReadIniValue(ini, "S", "Quoted", ""), quoted);
    EXPECT_EQ(ReadIniValue(ini, "S", "Exact", ""), std::string(511, 'w'));
    EXPECT_EQ(ReadIniValue(ini, "S", "Missing", std::string(3000, 'd')), std::string(3000, 'd'));
}

TEST(IniFile, ProbeTellsAMissingFileFromOneThatCannotBeRead) {
    TestFolder folder("ini_probe");
    const std::string ini = folder.path() + "probe.ini";
    EXPECT_EQ(ProbeIniFile(ini), IniFileState::Missing);
    EXPECT_EQ(ProbeIniFile(folder.path() + "no folder\\probe.ini"), IniFileState::Missing);
    WriteIniValue(ini, "S", "K", "v", false);
    EXPECT_EQ(ProbeIniFile(ini), IniFileState::Readable);

    // Held without sharing, as a scanner may hold it: neither the probe nor the platform reads it.
    HANDLE lock = CreateFileW(Widen(ini).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ProbeIniFile(ini), IniFileState::Unreadable);
    EXPECT_EQ(ReadIniValue(ini, "S", "K", "default"), "default");
    CloseHandle(lock);
    EXPECT_EQ(ProbeIniFile(ini), IniFileState::Readable);
}

TEST(IniFile, ReplaceWritesACompleteCopyAndPutsItInPlace) {
    TestFolder folder("ini_replace");
    const std::string ini = folder.path() + "Settings.ini";
    WriteUtf16File(ini, "[Other]\r\nKeep=这个\r\n[S]\r\nA=old\r\n");
    // A copy left behind by a process killed while saving is written over, whatever it is.
    WriteFileBytes(ini + ".tmp", "half a fi");
    SetFileAttributesW(Widen(ini + ".tmp").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(Widen(ini).c_str(), FILE_ATTRIBUTE_HIDDEN);

    std::string copyPath;
    ASSERT_TRUE(ReplaceIniFile(ini, [&](const std::string& copy) {
        copyPath = copy;
        // Until the copy is complete the file itself is untouched.
        EXPECT_EQ(ReadIniValue(ini, "S", "A", ""), "old");
        return StoreIniValue(copy, "S", "A", "new ") && StoreIniValue(copy, "S", "B", "截图");
    }));
    EXPECT_EQ(copyPath, ini + ".tmp");
    EXPECT_FALSE(FileExists(copyPath));
    EXPECT_EQ(FileBytes(ini).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ReadIniValue(ini, "S", "A", ""), "new ");
    EXPECT_EQ(ReadIniValue(ini, "S", "B", ""), "截图");
    EXPECT_EQ(ReadIniValue(ini, "Other", "Keep", ""), "这个");
    EXPECT_TRUE(GetFileAttributesW(Widen(ini).c_str()) & FILE_ATTRIBUTE_HIDDEN)
        << "a hidden file stays hidden";

    // A missing file starts as UTF-16.
    const std::string fresh = folder.path() + "fresh.ini";
    ASSERT_TRUE(ReplaceIniFile(
        fresh, [](const std::string& copy) { return StoreIniValue(copy, "S", "K", "中文"); }));
    EXPECT_EQ(FileBytes(fresh).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ReadIniValue(fresh, "S", "K", ""), "中文");
}

TEST(IniFile, ReplaceLeavesTheFileAsItWasWhenItCannotBeDone) {
    TestFolder folder("ini_replace_fail");
    const std::string ini = folder.path() + "Settings.ini";
    WriteUtf16File(ini, "[S]\r\nA=old\r\n");
    const std::string before = FileBytes(ini);
    int writes = 0;
    const auto write = [&](const std::string& copy) {
        ++writes;
        return StoreIniValue(copy, "S", "A", "new");
    };

    // The writer fails: nothing replaces the file, no copy stays.
    EXPECT_FALSE(ReplaceIniFile(ini, [](const std::string&) { return false; }));
    EXPECT_EQ(FileBytes(ini), before);
    EXPECT_FALSE(FileExists(ini + ".tmp"));

    // Held without sharing by another program: not read, not replaced.
    HANDLE lock = CreateFileW(Widen(ini).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReplaceIniFile(ini, write));
    CloseHandle(lock);
    EXPECT_EQ(FileBytes(ini), before);

    // Read-only: the user's choice stands.
    ASSERT_TRUE(SetFileAttributesW(Widen(ini).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(ReplaceIniFile(ini, write));
    SetFileAttributesW(Widen(ini).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(FileBytes(ini), before);
    EXPECT_EQ(writes, 0);

    // A folder that does not exist.
    EXPECT_FALSE(ReplaceIniFile(folder.path() + "none\\x.ini", write));
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
    EXPECT_EQ(ReadIniValue(ini, "S", "Other", "\"dflt\"x"), "dflt\"x");
    EXPECT_EQ(ReadIniValueIfPresent(ini, "S", "K"), "v");
    EXPECT_EQ(ReadIniValueIfPresent(ini, "S", "Other"), std::nullopt);
    EXPECT_EQ(ReadIniValueIfPresent(ini, "Other", "K"), std::nullopt);
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
