#include "platform/system_library.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <utility>

#include "platform/utf16.h"
#include "test_folder.h"

namespace vellum {
namespace {

// The build copies tools/planted_dll beside this test program under this name, which no system
// folder has.
constexpr wchar_t kBesideProgram[] = L"vellum_planted_probe.dll";

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

// The folder of a loaded module (the program's own for null), lower case, ending in '\'.
std::wstring ModuleFolder(HMODULE module) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    const std::wstring full(path, n < MAX_PATH ? n : 0);
    return Lower(full.substr(0, full.find_last_of(L'\\') + 1));
}

std::wstring SystemFolder() {
    wchar_t path[MAX_PATH];
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    return Lower(std::wstring(path, n < MAX_PATH ? n : 0) + L"\\");
}

// Makes a folder the current directory for one scope.
class CurrentDirectory {
  public:
    explicit CurrentDirectory(const std::string& folder) {
        wchar_t previous[MAX_PATH];
        const DWORD n = GetCurrentDirectoryW(MAX_PATH, previous);
        previous_.assign(previous, n < MAX_PATH ? n : 0);
        SetCurrentDirectoryW(Widen(folder).c_str());
    }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;
    ~CurrentDirectory() { SetCurrentDirectoryW(previous_.c_str()); }

  private:
    std::wstring previous_;
};

TEST(SystemLibrary, SystemDllsComeFromTheSystemFolderWithTheirFunctions) {
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"version.dll", "GetFileVersionInfoSizeW"},
        {L"uxtheme.dll", "SetWindowTheme"},
        {L"gdiplus.dll", "GdiplusStartup"},
    };
    for (const auto& [dll, function] : cases) {
        SCOPED_TRACE(Narrow(dll));
        const UniqueModule library = LoadSystemLibrary(dll);
        ASSERT_TRUE(library);
        EXPECT_EQ(ModuleFolder(library.get()), SystemFolder());
        EXPECT_NE(ModuleFunction<FARPROC>(library, function), nullptr);
        EXPECT_EQ(ModuleFunction<FARPROC>(library, "NoSuchFunctionAnywhere"), nullptr);
    }
    EXPECT_EQ(ModuleFunction<FARPROC>(UniqueModule(), "GetFileVersionInfoSizeW"), nullptr);
}

// The planted DLL loads by the ordinary search from beside the program and from the current
// directory; the system search takes it from neither. The module is freed with its owner.
TEST(SystemLibrary, ADllBesideTheProgramOrInTheCurrentDirectoryIsNotLoaded) {
    const std::wstring programFolder = ModuleFolder(nullptr);
    ASSERT_NE(GetFileAttributesW((programFolder + kBesideProgram).c_str()), INVALID_FILE_ATTRIBUTES)
        << "the build copies the planted DLL beside the test program";
    TestFolder cwd("system_library");
    const std::wstring inCurrentDirectory = L"vellum_planted_cwd.dll";
    ASSERT_TRUE(CopyFileW((programFolder + kBesideProgram).c_str(),
                          Widen(cwd.path() + Narrow(inCurrentDirectory)).c_str(), FALSE));
    const CurrentDirectory current(cwd.path());

    const std::pair<std::wstring, std::wstring> cases[] = {
        {kBesideProgram, programFolder},
        {inCurrentDirectory, Lower(Widen(cwd.path()))},
    };
    for (const auto& [name, folder] : cases) {
        SCOPED_TRACE(Narrow(name));
        {
            const UniqueModule refused = LoadSystemLibrary(name.c_str());
            const DWORD error = GetLastError();
            EXPECT_FALSE(refused);
            EXPECT_EQ(error, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
        }
        {
            UniqueModule taken(LoadLibraryW(name.c_str()));
            ASSERT_TRUE(taken) << "the ordinary search finds it";
            EXPECT_EQ(ModuleFolder(taken.get()), folder);
            const UniqueModule owner = std::move(taken);
            EXPECT_FALSE(taken);
            EXPECT_NE(GetModuleHandleW(name.c_str()), nullptr);
        }
        EXPECT_EQ(GetModuleHandleW(name.c_str()), nullptr) << "freed with its owner";
        DeleteFileW((folder + name + L".loaded").c_str());
    }
}

}  // namespace
}  // namespace vellum
