#include "platform/file_system.h"

#include <windows.h>

#include "platform/utf16.h"

namespace vellum {

FileProbe ProbeFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileProbe::Free
                                                                              : FileProbe::Unknown;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileProbe::Free : FileProbe::Taken;
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace vellum
