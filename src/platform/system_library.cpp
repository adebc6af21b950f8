#include "platform/system_library.h"

namespace vellum {

UniqueModule LoadSystemLibrary(const wchar_t* fileName) {
    // The flag does not depend on SetDefaultDllDirectories having been called, so the test
    // programs that share this code are held to the same rule.
    return UniqueModule(LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

}  // namespace vellum
