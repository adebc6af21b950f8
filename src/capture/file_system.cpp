#include "capture/file_system.h"

#include <windows.h>

#include "capture/save_name_rules.h"
#include "platform/utf16.h"

namespace vellum {

FileProbe ProbeFile(const std::string& path) {
    // A device name exists always ("NUL.2.png" is the device): no number would ever be free.
    const std::string::size_type slash = path.find_last_of("\\/");
    if (CheckFileName(slash == std::string::npos ? path : path.substr(slash + 1)))
        return FileProbe::Unknown;
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileProbe::Free
                                                                              : FileProbe::Unknown;
    }
    // A folder of that name is taken too: no file could be written there.
    return FileProbe::Taken;
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace vellum
