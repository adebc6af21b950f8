#pragma once
// A fresh folder under %TEMP% for one test, removed with everything in it afterwards.
#include <windows.h>

#include <string>

#include "platform/utf16.h"

namespace vellum {

class TestFolder {
  public:
    explicit TestFolder(const std::string& name) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = Narrow(temp) + "vellum_" + name + "_" + std::to_string(GetCurrentProcessId()) +
                "_" + std::to_string(GetTickCount64()) + "\\";
        CreateDirectoryW(Widen(path_).c_str(), nullptr);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    ~TestFolder() { RemoveTree(path_); }

    const std::string& path() const { return path_; }

    // Creates an empty file with the given attributes and returns its full name.
    std::string File(const std::string& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) const {
        const std::string full = path_ + name;
        HANDLE h = CreateFileW(Widen(full).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               attributes, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        return full;
    }

    std::string Subfolder(const std::string& name) const {
        const std::string full = path_ + name;
        CreateDirectoryW(Widen(full).c_str(), nullptr);
        return full;
    }

  private:
    static void RemoveTree(const std::string& folder) {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(Widen(folder + "*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::string full = folder + Narrow(name);
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(full + "\\");
                } else {
                    SetFileAttributesW(Widen(full).c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(Widen(full).c_str());
                }
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
        RemoveDirectoryW(Widen(folder).c_str());
    }

    std::string path_;
};

}  // namespace vellum
