#include "settings/ini_file.h"

#include <windows.h>

#include <vector>

#include "base/path_utils.h"
#include "platform/process.h"
#include "platform/scoped_win.h"
#include "platform/utf16.h"
#include "settings/ini_encoding.h"

namespace vellum {
namespace {

constexpr DWORD kFirstReadBufferSize = 512;
// Far beyond what a text box holds; a longer value comes back cut rather than not at all.
constexpr DWORD kLargestReadBufferSize = 1 << 20;
constexpr unsigned char kUtf16ByteOrderMark[] = {0xFF, 0xFE};
constexpr wchar_t kCopySuffix[] = L".tmp";
// A default no stored value decodes to: it is read back only when the key is missing.
constexpr char kNoValue[] = "\x1b\x1b<no value>\x1b\x1b";

// The file the platform will use for the path: one without a folder lives in the Windows folder.
std::wstring FileThePlatformUses(const std::wstring& path) {
    if (path.find_first_of(L"\\/") != std::wstring::npos)
        return path;
    std::wstring windows(MAX_PATH, L'\0');
    const UINT n = GetWindowsDirectoryW(windows.data(), MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return path;
    windows.resize(n);
    return windows + L"\\" + path;
}

bool WriteAll(HANDLE file, const void* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

// Creates a missing file holding only the UTF-16LE byte-order mark; leaves an existing one alone.
void CreateUtf16FileIfMissing(const std::wstring& path) {
    UniqueHandle file(CreateFileW(FileThePlatformUses(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file)
        WriteAll(file.get(), kUtf16ByteOrderMark, sizeof kUtf16ByteOrderMark);
}

bool IsMissingFileError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The file's bytes; false when it cannot be read. A missing file gives true and no bytes when
// `missing` is set.
bool ReadWholeFile(const std::wstring& path, std::vector<char>& bytes, bool& missing) {
    missing = false;
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        missing = IsMissingFileError(GetLastError());
        return missing;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > (64 << 20))
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() ||
           (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
            read == bytes.size());
}

bool WriteNewFile(const std::wstring& path, const std::vector<char>& bytes, DWORD attributes) {
    UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
    return file &&
           (bytes.empty() || WriteAll(file.get(), bytes.data(), static_cast<DWORD>(bytes.size())));
}

// The copy's bytes on the disk before it takes the file's place, so that a power cut cannot
// leave an empty file under the right name.
bool FlushToDisk(const std::wstring& path) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && FlushFileBuffers(file.get());
}

}  // namespace

std::string DefaultIniPath() {
    return GetParentPath(ExecutablePath()) + "\\Settings.ini";
}

std::string ReadIniValue(std::string path, std::string section, std::string key,
                         std::string defaultValue) {
    if (path.empty())
        path = DefaultIniPath();
    const std::wstring wideSection = Widen(section);
    const std::wstring wideKey = Widen(key);
    const std::wstring wideDefault = Widen(defaultValue);
    const std::wstring widePath = Widen(path);
    std::wstring text;
    for (DWORD size = kFirstReadBufferSize;; size *= 4) {
        std::vector<wchar_t> buffer(size, L'\0');
        const DWORD n =
            GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideDefault.c_str(),
                                     buffer.data(), size, widePath.c_str());
        buffer[size - 1] = L'\0';
        text = buffer.data();
        // A value that filled the buffer may have been cut: read again with a larger one.
        if (n < size - 1 || size >= kLargestReadBufferSize)
            break;
    }
    // A cut through a surrogate pair would leave half a character.
    if (!text.empty() && IS_HIGH_SURROGATE(text.back()))
        text.pop_back();
    return DecodeIniValue(Narrow(text));
}

std::optional<std::string> ReadIniValueIfPresent(const std::string& path,
                                                 const std::string& section,
                                                 const std::string& key) {
    std::string value = ReadIniValue(path, section, key, kNoValue);
    if (value == kNoValue)
        return std::nullopt;
    return value;
}

bool StoreIniValue(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value) {
    return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                                      Widen(EncodeIniValue(value)).c_str(),
                                      Widen(path).c_str()) != FALSE;
}

void WriteIniValue(std::string path, std::string section, std::string key, std::string value,
                   bool clearValue) {
    if (path.empty())
        path = DefaultIniPath();
    if (clearValue)
        value.clear();
    CreateUtf16FileIfMissing(Widen(path));
    StoreIniValue(path, section, key, value);
}

IniFileState ProbeIniFile(const std::string& path) {
    // The platform's own reads share the file for reading and writing; so does this probe, so
    // it fails exactly when another program keeps the platform from reading.
    UniqueHandle file(CreateFileW(FileThePlatformUses(Widen(path)).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file)
        return IniFileState::Readable;
    return IsMissingFileError(GetLastError()) ? IniFileState::Missing : IniFileState::Unreadable;
}

bool ReplaceIniFile(const std::string& path,
                    const std::function<bool(const std::string& copyPath)>& write) {
    const std::wstring target = FileThePlatformUses(Widen(path));
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    std::vector<char> bytes;
    bool missing = false;
    if (!ReadWholeFile(target, bytes, missing))
        return false;
    if (missing)
        bytes.assign(std::begin(kUtf16ByteOrderMark), std::end(kUtf16ByteOrderMark));

    // The copy takes the place of the file: a hidden file stays hidden.
    const DWORD kept =
        missing
            ? 0
            : attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    const std::wstring copy = target + kCopySuffix;
    // A copy left by a process killed while saving goes first, whatever its attributes.
    SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(copy.c_str());
    const bool replaced = WriteNewFile(copy, bytes, kept ? kept : FILE_ATTRIBUTE_NORMAL) &&
                          write(Narrow(copy)) && FlushToDisk(copy) &&
                          MoveFileExW(copy.c_str(), target.c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!replaced)
        DeleteFileW(copy.c_str());
    return replaced;
}

}  // namespace vellum
