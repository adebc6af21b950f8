#include "platform/autorun.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/path_utils.h"
#include "platform/autorun_entry.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/utf16.h"

namespace vellum {
namespace {

// A key of its own stands in for the Run key, so that no test leaves an entry that starts a
// program at the next logon.
const char kTestRoot[] = "Software\\PXGR_vellum_win32_tests";
const char kRunKey[] = "Software\\PXGR_vellum_win32_tests\\Run";

struct RawValue {
    bool exists = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};

// The value as the registry stores it: type and bytes.
RawValue ReadRaw(HKEY root, const std::string& key, const std::string& name) {
    RawValue v;
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, Widen(key).c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS)
        return v;
    DWORD size = 0;
    if (RegQueryValueExW(k, Widen(name).c_str(), nullptr, &v.type, nullptr, &size) ==
        ERROR_SUCCESS) {
        v.data.resize(size);
        v.exists = RegQueryValueExW(k, Widen(name).c_str(), nullptr, &v.type, v.data.data(),
                                    &size) == ERROR_SUCCESS;
        v.data.resize(size);
    }
    RegCloseKey(k);
    return v;
}

std::vector<BYTE> Utf16WithNul(const std::string& text) {
    const std::wstring w = Widen(text);
    const BYTE* p = reinterpret_cast<const BYTE*>(w.c_str());
    return std::vector<BYTE>(p, p + (w.size() + 1) * sizeof(wchar_t));
}

DWORD ValueCount(HKEY root, const std::string& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, Widen(key).c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS)
        return 0;
    DWORD count = 0;
    RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(k);
    return count;
}

class AutorunTest : public ::testing::Test {
  protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, Widen(kTestRoot).c_str()); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, Widen(kTestRoot).c_str()); }

    void Write(const std::string& exePath, std::string& name, std::string& command) {
        SetAutorunEntry(HKEY_CURRENT_USER, kRunKey, exePath, false, name, command, "/a");
    }
    void Remove(const std::string& exePath, std::string& name) {
        std::string command;
        SetAutorunEntry(HKEY_CURRENT_USER, kRunKey, exePath, true, name, command, "/a");
    }
};

TEST_F(AutorunTest, WritesTheQuotedPathWithTheArgumentAsAUtf16String) {
    // A Chinese folder with blanks: stored whole inside the quotes, the argument after them.
    const std::string exe = "C:\\Program Files\\栖木 软件\\Vellum_Capture.exe";
    std::string name;
    std::string command;
    Write(exe, name, command);
    EXPECT_EQ(name, "Vellum_Capture");
    EXPECT_EQ(command, "\"C:\\Program Files\\栖木 软件\\Vellum_Capture.exe\" /a");
    const RawValue v = ReadRaw(HKEY_CURRENT_USER, kRunKey, "Vellum_Capture");
    ASSERT_TRUE(v.exists);
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(v.data, Utf16WithNul(command));
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kRunKey, "Vellum_Capture"), command);
}

TEST_F(AutorunTest, WritingTwiceReplacesTheValueInPlace) {
    std::string name;
    std::string command;
    Write("D:\\Tools\\Vellum_Capture.exe", name, command);
    // Moved to another folder: the same name now holds the new path.
    std::string name2;
    std::string command2;
    Write("E:\\新\\Vellum_Capture.exe", name2, command2);
    EXPECT_EQ(name2, name);
    EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, kRunKey), 1u);
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kRunKey, "Vellum_Capture"),
              "\"E:\\新\\Vellum_Capture.exe\" /a");
}

TEST_F(AutorunTest, ARenamedExecutableWritesANewEntryAndLeavesTheOldOne) {
    std::string a, ca, b, cb;
    Write("D:\\Tools\\Vellum_Capture.exe", a, ca);
    Write("D:\\Tools\\抓屏.exe", b, cb);
    EXPECT_EQ(b, "抓屏");
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kRunKey, "Vellum_Capture"), ca);
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kRunKey, "抓屏"), "\"D:\\Tools\\抓屏.exe\" /a");
}

TEST_F(AutorunTest, RemoveDeletesTheValueAndRemovingAnAbsentOneLeavesNoValue) {
    std::string name;
    std::string command;
    Write("D:\\Tools\\Vellum_Capture.exe", name, command);
    WriteRegistryString(HKEY_CURRENT_USER, kRunKey, "Other", "\"C:\\other.exe\"");
    std::string removeName;
    Remove("D:\\Tools\\Vellum_Capture.exe", removeName);
    EXPECT_EQ(removeName, "Vellum_Capture");
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kRunKey, "Vellum_Capture").exists);
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kRunKey, "Other"), "\"C:\\other.exe\"");
    // Again, now that there is none: still none, not an empty value.
    removeName.clear();
    Remove("D:\\Tools\\Vellum_Capture.exe", removeName);
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kRunKey, "Vellum_Capture").exists);
    EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, kRunKey), 1u);
}

TEST_F(AutorunTest, RemovingUnderAMissingKeyCreatesNothing) {
    std::string name;
    Remove("D:\\Tools\\Vellum_Capture.exe", name);
    HKEY k = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, Widen(kRunKey).c_str(), 0, KEY_READ, &k),
              ERROR_SUCCESS);
    if (k)
        RegCloseKey(k);
}

TEST_F(AutorunTest, AnUnknownExecutableWritesNoEntry) {
    // Neither the key's unnamed value nor a command that starts nothing.
    std::string name;
    std::string command;
    Write("", name, command);
    EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, kRunKey), 0u);
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kRunKey, "").exists);
}

TEST_F(AutorunTest, RegistryValuesOfAnEmptyKeyPathAreNotTouched) {
    // An empty path would name the root key itself.
    EXPECT_FALSE(SetRegistryValue(HKEY_CURRENT_USER, "", "PXGR_vellum_empty_path", "x", REG_SZ));
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, "", "PXGR_vellum_empty_path").exists);
    EXPECT_FALSE(DeleteRegistryValue(HKEY_CURRENT_USER, "", "PXGR_vellum_empty_path"));
}

TEST_F(AutorunTest, SetRegistryValueStoresStringTypesWithTheirTerminator) {
    EXPECT_TRUE(SetRegistryValue(HKEY_CURRENT_USER, kRunKey, "empty", "", REG_SZ));
    RawValue v = ReadRaw(HKEY_CURRENT_USER, kRunKey, "empty");
    ASSERT_TRUE(v.exists);
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(v.data, Utf16WithNul(""));
    EXPECT_TRUE(
        SetRegistryValue(HKEY_CURRENT_USER, kRunKey, "expand", "%TEMP%\\抓屏", REG_EXPAND_SZ));
    v = ReadRaw(HKEY_CURRENT_USER, kRunKey, "expand");
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(v.data, Utf16WithNul("%TEMP%\\抓屏"));
    // A number is no string: refused rather than stored as text under a number's type.
    EXPECT_FALSE(SetRegistryValue(HKEY_CURRENT_USER, kRunKey, "dword", "5", REG_DWORD));
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kRunKey, "dword").exists);
    EXPECT_TRUE(DeleteRegistryValue(HKEY_CURRENT_USER, kRunKey, "empty"));
    EXPECT_FALSE(DeleteRegistryValue(HKEY_CURRENT_USER, kRunKey, "empty"));
}

// The real entry of this test program under the current user's Run key: written by a checked
// box, removed by an unchecked one. Removed again at the end whatever happens.
class RunKeyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteRegistryValue(HKEY_CURRENT_USER, kRunKeyPath, "vellum_win32_tests");
    }
    void TearDown() override {
        DeleteRegistryValue(HKEY_CURRENT_USER, kRunKeyPath, "vellum_win32_tests");
    }
};

TEST_F(RunKeyTest, TheCheckBoxWritesAndRemovesThisProgramsEntry) {
    const std::string exe = ExecutablePath();
    const std::string expected = "\"" + GetParentPath(exe) + "\\vellum_win32_tests.exe\" /a";
    ApplyAutorunCheckBox(1);
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kRunKeyPath, "vellum_win32_tests"), expected);

    std::string name;
    std::string command;
    std::string arguments = "/a";
    SetAutorun(false, name, command, arguments);
    EXPECT_EQ(name, "vellum_win32_tests");
    EXPECT_EQ(command, expected);
    EXPECT_EQ(arguments, "/a");

    ApplyAutorunCheckBox(0);
    EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, kRunKeyPath, "vellum_win32_tests"));
    ApplyAutorunCheckBox(0);
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kRunKeyPath, "vellum_win32_tests").exists);
}

}  // namespace
}  // namespace vellum
