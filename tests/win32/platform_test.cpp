#include <windows.h>

#include <gtest/gtest.h>

#include "capture/file_system.h"
#include "platform/registry.h"
#include "platform/utf16.h"
#include "test_folder.h"

namespace vellum {
namespace {

TEST(Registry, AnEmptyValueIsAValueAndAnAbsentOneIsNot) {
    const std::string key = "Software\\PXGR_vellum_win32_tests\\测试";
    RegDeleteTreeW(HKEY_CURRENT_USER, Widen(key).c_str());
    EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, key, "ChOp_Tip"));
    ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, key, "ChOp_Tip", ""));
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, key, "ChOp_Tip"), std::string());
    ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, key, "ChOp_Tip", "D:\\工具\\看图.exe"));
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, key, "ChOp_Tip"), "D:\\工具\\看图.exe");
    EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, key, "Check4_Tag"));
    RegDeleteTreeW(HKEY_CURRENT_USER, Widen("Software\\PXGR_vellum_win32_tests").c_str());
}

TEST(ProbeFile, FilesOfEveryAttributeAndFoldersAreTaken) {
    TestFolder folder("probe");
    const std::string hidden = folder.File("hidden.png", FILE_ATTRIBUTE_HIDDEN);
    const std::string readOnly = folder.File("readonly.png", FILE_ATTRIBUTE_READONLY);
    const std::string system = folder.File("system.png", FILE_ATTRIBUTE_SYSTEM);
    const std::string sub = folder.Subfolder("dir.png");
    EXPECT_EQ(ProbeFile(hidden), FileProbe::Taken);
    EXPECT_EQ(ProbeFile(readOnly), FileProbe::Taken);
    EXPECT_EQ(ProbeFile(system), FileProbe::Taken);
    EXPECT_EQ(ProbeFile(sub), FileProbe::Taken);
    EXPECT_EQ(ProbeFile(folder.path() + "none.png"), FileProbe::Free);
    EXPECT_EQ(ProbeFile(folder.path() + "missing\\none.png"), FileProbe::Free);
    EXPECT_EQ(ProbeFile(folder.path() + "bad|name?.png"), FileProbe::Unknown);
    // A device always exists: taking it for a file would never end the search for a free name.
    EXPECT_EQ(ProbeFile(folder.path() + "NUL.2.png"), FileProbe::Unknown);
    EXPECT_EQ(ProbeFile(folder.path() + "con.png"), FileProbe::Unknown);
}

TEST(FolderExists, FoldersOfEveryAttributeWithOrWithoutTheirLastBackslash) {
    TestFolder folder("folder_exists");
    const std::string sub = folder.Subfolder("sub");
    const std::string hidden = folder.Subfolder("hidden");
    SetFileAttributesW(Widen(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    const std::string file = folder.File("file.png", FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(FolderExists(folder.path()));  // ends with "\", as the output folder does
    EXPECT_TRUE(FolderExists(sub));
    EXPECT_TRUE(FolderExists(hidden + "\\"));
    EXPECT_FALSE(FolderExists(file));
    EXPECT_FALSE(FolderExists(file + "\\"));
    EXPECT_FALSE(FolderExists(folder.path() + "none\\"));
}

}  // namespace
}  // namespace vellum
