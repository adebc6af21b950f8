#include "settings/ini_file.h"

#include <windows.h>

#include "platform/process.h"
#include "platform/utf16.h"
#include "settings/ini_encoding.h"

namespace vellum {
namespace {

constexpr DWORD kReadBufferSize = 511;

// The file the platform will use for the path: one without a folder lives in the Windows folder.
std::wstring FileThePlatformUses(const std::wstring& path) {
    if (path.find_first_of(L"\\/") != std::wstring::npos)
        return path;
    wchar_t windows[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return path;
    return std::wstring(windows, n) + L"\\" + path;
}

// Creates a missing file holding only the UTF-16LE byte-order mark; leaves an existing one alone.
void CreateUtf16FileIfMissing(const std::wstring& path) {
    HANDLE file = CreateFileW(FileThePlatformUses(path).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const unsigned char bom[] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(file, bom, sizeof(bom), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

std::string DefaultIniPath() {
    const std::string exe = ExecutablePath();
    const std::string::size_type slash = exe.find_last_of('\\');
    const std::string folder = slash == std::string::npos ? std::string() : exe.substr(0, slash);
    return folder + "\\Settings.ini";
}

std::string ReadIniValue(std::string path, std::string section, std::string key,
                         std::string defaultValue) {
    if (path.empty())
        path = DefaultIniPath();
    wchar_t buffer[kReadBufferSize] = {};
    GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                             Widen(defaultValue).c_str(), buffer, kReadBufferSize,
                             Widen(path).c_str());
    buffer[kReadBufferSize - 1] = L'\0';
    std::wstring text(buffer);
    // A cut through a surrogate pair would leave half a character.
    if (!text.empty() && IS_HIGH_SURROGATE(text.back()))
        text.pop_back();
    return DecodeIniValue(Narrow(text));
}

void WriteIniValue(std::string path, std::string section, std::string key, std::string value,
                   bool clearValue) {
    if (path.empty())
        path = DefaultIniPath();
    if (clearValue)
        value.clear();
    const std::wstring widePath = Widen(path);
    CreateUtf16FileIfMissing(widePath);
    WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                               Widen(EncodeIniValue(value)).c_str(), widePath.c_str());
}

}  // namespace vellum
