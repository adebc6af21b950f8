// planted_dll: stands in for a DLL that someone put beside the program, under the name of a
// system DLL (built as gdiplus.dll and as version.dll). It exports nothing; whichever process
// loads it leaves "<the DLL's own path>.loaded" beside it, holding that process's executable
// path (UTF-16), so that a test sees the load.
#include <windows.h>

#include <string>

#include "platform/scoped_win.h"

namespace {

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(path, n) : std::wstring();
}

void LeaveMarker(HMODULE self) {
    const std::wstring dll = ModulePath(self);
    if (dll.empty())
        return;
    const vellum::UniqueHandle marker(CreateFileW((dll + L".loaded").c_str(), GENERIC_WRITE, 0,
                                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                  nullptr));
    if (!marker)
        return;
    const std::wstring loader = ModulePath(nullptr);
    DWORD written = 0;
    WriteFile(marker.get(), loader.data(), static_cast<DWORD>(loader.size() * sizeof(wchar_t)),
              &written, nullptr);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        LeaveMarker(instance);
    return TRUE;
}
