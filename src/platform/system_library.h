#pragma once
// DLLs that are not KnownDLLs (version, uxtheme, gdiplus...) are loaded from the system folder
// only. A portable program runs from Downloads or a USB stick, where anyone can put a DLL of the
// same name beside it; the default search would take that one first.
#include <windows.h>

#include "platform/scoped_win.h"

namespace vellum {

// The exported function as a pointer of type Fn, or null when the DLL lacks it (or none is
// loaded).
template <typename Fn>
Fn ModuleFunction(const UniqueModule& module, const char* name) {
    if (!module)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module.get(), name)));
}

// Loads a DLL by its file name (L"version.dll") from the system folder, never from the
// program's folder, the current directory or PATH. Empty when it is not there; GetLastError()
// then says why.
UniqueModule LoadSystemLibrary(const wchar_t* fileName);

}  // namespace vellum
