#pragma once
// DLLs that are not KnownDLLs (version, uxtheme, gdiplus...) are loaded from the system folder
// only. A portable program runs from Downloads or a USB stick, where anyone can put a DLL of the
// same name beside it; the default search would take that one first.
#include <windows.h>

#include <utility>

namespace vellum {

// A loaded DLL, freed when it goes out of scope; move-only.
class ScopedModule {
  public:
    ScopedModule() = default;
    explicit ScopedModule(HMODULE module) : module_(module) {}
    ScopedModule(ScopedModule&& other) noexcept : module_(std::exchange(other.module_, nullptr)) {}
    ScopedModule& operator=(ScopedModule&& other) noexcept {
        if (this != &other) {
            Free();
            module_ = std::exchange(other.module_, nullptr);
        }
        return *this;
    }
    ScopedModule(const ScopedModule&) = delete;
    ScopedModule& operator=(const ScopedModule&) = delete;
    ~ScopedModule() { Free(); }

    HMODULE get() const { return module_; }
    explicit operator bool() const { return module_ != nullptr; }

    // The exported function as a pointer of type Fn, or null when the DLL lacks it (or none is
    // loaded).
    template <typename Fn>
    Fn Function(const char* name) const {
        if (!module_)
            return nullptr;
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

  private:
    void Free() {
        if (module_)
            FreeLibrary(std::exchange(module_, nullptr));
    }

    HMODULE module_ = nullptr;
};

// Loads a DLL by its file name (L"version.dll") from the system folder, never from the
// program's folder, the current directory or PATH. Empty when it is not there; GetLastError()
// then says why.
ScopedModule LoadSystemLibrary(const wchar_t* fileName);

}  // namespace vellum
