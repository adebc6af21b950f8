// planting_witness: loads its DLLs the way the program must not. It imports version.dll and
// loads gdiplus.dll by bare name, so that copies of planted_dll beside it are taken: the tests'
// proof that a planted DLL and their WINEDLLOVERRIDES do load where the search allows it, and
// the import check's example of an import it must refuse. Exits 0 when gdiplus.dll loaded.
#include <windows.h>

#include "platform/system_library.h"

// Referenced, never called: the import alone makes the loader take version.dll at start (a
// planted one exports nothing to call).
decltype(&GetFileVersionInfoSizeW) volatile versionImport = &GetFileVersionInfoSizeW;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const vellum::UniqueModule gdiplus(LoadLibraryW(L"gdiplus.dll"));
    return gdiplus ? 0 : 1;
}
