#pragma once
// Owners of every Win32 resource the program acquires, so that no path forgets a release.
// Unique<...> types own one handle and only move (a capture's bitmap moves into the save step);
// Scoped<...> types hold a use for the length of one scope (a DC, a selection, a paint, COM) and
// neither copy nor move.
#include <windows.h>

#include <objbase.h>
#include <ole2.h>

#include <utility>

namespace vellum {

// A move-only owner of one handle. Traits give the handle's type, the value that means "none"
// besides null (INVALID_HANDLE_VALUE for files), and the release, which returns whether it was
// done; where the platform may refuse a release that can be tried again (a hook), Traits keep
// the handle after a failed Close.
template <typename Traits>
class Unique {
  public:
    using Handle = typename Traits::Handle;

    Unique() = default;
    explicit Unique(Handle handle) : handle_(Valid(handle) ? handle : Handle{}) {}
    Unique(Unique&& other) noexcept : handle_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { reset(); }

    [[nodiscard]] Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle{}; }
    // Gives the handle up without releasing it.
    [[nodiscard]] Handle release() { return std::exchange(handle_, Handle{}); }
    // For a function that writes a new handle through a pointer: the one held is released first.
    [[nodiscard]] Handle* put() {
        reset();
        return &handle_;
    }
    // Releases the handle held and takes another.
    void reset(Handle handle = Handle{}) {
        if (handle_)
            Traits::Release(handle_);
        handle_ = Valid(handle) ? handle : Handle{};
    }
    // Releases the handle now; false when the platform refused (holding none is no failure).
    [[nodiscard]] bool Close() {
        if (!handle_)
            return true;
        const bool released = Traits::Release(handle_);
        if (released || !Traits::kKeptWhenRefused)
            handle_ = Handle{};
        return released;
    }

  private:
    static bool Valid(Handle handle) { return handle && Traits::Valid(handle); }
    Handle handle_{};
};

namespace handle_traits {

template <typename H>
struct GdiObject {
    using Handle = H;
    static constexpr bool kKeptWhenRefused = false;
    static bool Valid(H) { return true; }
    static bool Release(H h) { return DeleteObject(h) != 0; }
};
struct Kernel {
    using Handle = HANDLE;
    static constexpr bool kKeptWhenRefused = false;
    static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
    static bool Release(HANDLE h) { return CloseHandle(h) != 0; }
};
struct RegKey {
    using Handle = HKEY;
    static constexpr bool kKeptWhenRefused = false;
    static bool Valid(HKEY) { return true; }
    static bool Release(HKEY h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};
struct Hook {
    using Handle = HHOOK;
    static constexpr bool kKeptWhenRefused = true;
    static bool Valid(HHOOK) { return true; }
    static bool Release(HHOOK h) { return UnhookWindowsHookEx(h) != 0; }
};
struct Module {
    using Handle = HMODULE;
    static constexpr bool kKeptWhenRefused = false;
    static bool Valid(HMODULE) { return true; }
    static bool Release(HMODULE h) { return FreeLibrary(h) != 0; }
};
struct Window {
    using Handle = HWND;
    static constexpr bool kKeptWhenRefused = false;
    static bool Valid(HWND) { return true; }
    static bool Release(HWND h) { return DestroyWindow(h) != 0; }
};
template <typename P>
struct CoTaskMemory {
    using Handle = P;
    static constexpr bool kKeptWhenRefused = false;
    static bool Valid(P) { return true; }
    static bool Release(P p) {
        CoTaskMemFree(const_cast<void*>(static_cast<const void*>(p)));
        return true;
    }
};

template <typename P>
struct LocalMemory {
    using Handle = P;
    static constexpr bool kKeptWhenRefused = false;
    static bool Valid(P) { return true; }
    static bool Release(P p) { return LocalFree(p) == nullptr; }
};

}  // namespace handle_traits

using UniqueBitmap = Unique<handle_traits::GdiObject<HBITMAP>>;
using UniquePen = Unique<handle_traits::GdiObject<HPEN>>;
using UniqueBrush = Unique<handle_traits::GdiObject<HBRUSH>>;
using UniqueFont = Unique<handle_traits::GdiObject<HFONT>>;
// A file, event, thread or process handle.
using UniqueHandle = Unique<handle_traits::Kernel>;
using UniqueRegKey = Unique<handle_traits::RegKey>;
using UniqueHook = Unique<handle_traits::Hook>;
using UniqueModule = Unique<handle_traits::Module>;
// A window that no ui::Window object owns (a helper thread's message-only window).
using UniqueWindow = Unique<handle_traits::Window>;
// Memory the shell hands out from the task allocator (an item list, a path).
template <typename P>
using UniqueCoTaskMemory = Unique<handle_traits::CoTaskMemory<P>>;
// Memory the system hands out from the local heap (FormatMessage's text).
template <typename P>
using UniqueLocalMemory = Unique<handle_traits::LocalMemory<P>>;

// A window's device context, released with ReleaseDC: the client DC (GetDC) or the whole-window DC
// (GetWindowDC). A null window gives the screen's DC.
class ScopedGetDC {
  public:
    enum class Kind { Client, WholeWindow };
    explicit ScopedGetDC(HWND hwnd, Kind kind = Kind::Client)
        : hwnd_(hwnd), hdc_(kind == Kind::WholeWindow ? GetWindowDC(hwnd) : GetDC(hwnd)) {}
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    ~ScopedGetDC() {
        if (hdc_)
            ReleaseDC(hwnd_, hdc_);
    }

    HDC get() const { return hdc_; }
    operator HDC() const { return hdc_; }

  private:
    HWND hwnd_;
    HDC hdc_;
};

// A memory DC made compatible with another DC, deleted with DeleteDC.
class ScopedMemDC {
  public:
    explicit ScopedMemDC(HDC compatibleWith) : hdc_(CreateCompatibleDC(compatibleWith)) {}
    ScopedMemDC(const ScopedMemDC&) = delete;
    ScopedMemDC& operator=(const ScopedMemDC&) = delete;
    ~ScopedMemDC() {
        if (hdc_)
            DeleteDC(hdc_);
    }

    HDC get() const { return hdc_; }
    operator HDC() const { return hdc_; }

  private:
    HDC hdc_;
};

// The painting of a window in answer to WM_PAINT: BeginPaint, and EndPaint on leaving.
class ScopedPaint {
  public:
    explicit ScopedPaint(HWND hwnd) : hwnd_(hwnd), hdc_(BeginPaint(hwnd, &paint_)) {}
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    ~ScopedPaint() { EndPaint(hwnd_, &paint_); }

    HDC get() const { return hdc_; }
    operator HDC() const { return hdc_; }

  private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC hdc_;
};

// Selects an object into a DC and selects the displaced one back when it goes out of scope.
// Declare the object's owner before the selection, so that the selection ends first.
class ScopedSelectObject {
  public:
    ScopedSelectObject(HDC hdc, HGDIOBJ obj)
        : hdc_(hdc), previous_(hdc && obj ? SelectObject(hdc, obj) : nullptr) {}
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
    ~ScopedSelectObject() {
        if (previous_ && previous_ != HGDI_ERROR)
            SelectObject(hdc_, previous_);
    }

    // False when the object could not be selected.
    explicit operator bool() const { return previous_ && previous_ != HGDI_ERROR; }

  private:
    HDC hdc_;
    HGDIOBJ previous_;
};

// OLE on this thread (OleInitialize: COM in a single-threaded apartment, and drag and drop),
// ended on leaving when it was started here.
class ScopedOleInit {
  public:
    ScopedOleInit() : result_(OleInitialize(nullptr)) {}
    ScopedOleInit(const ScopedOleInit&) = delete;
    ScopedOleInit& operator=(const ScopedOleInit&) = delete;
    ~ScopedOleInit() {
        if (SUCCEEDED(result_))
            OleUninitialize();
    }

  private:
    HRESULT result_;
};

// The clipboard, opened for a window (OpenClipboard) and closed on leaving.
class ScopedClipboard {
  public:
    explicit ScopedClipboard(HWND owner) : open_(OpenClipboard(owner) != 0) {}
    ScopedClipboard(const ScopedClipboard&) = delete;
    ScopedClipboard& operator=(const ScopedClipboard&) = delete;
    ~ScopedClipboard() {
        if (open_)
            CloseClipboard();
    }

    // False when another program holds it open.
    explicit operator bool() const { return open_; }

  private:
    bool open_;
};

// COM on this thread (CoInitializeEx), ended on leaving when it was started here.
class ScopedComInit {
  public:
    explicit ScopedComInit(DWORD model) : result_(CoInitializeEx(nullptr, model)) {}
    ScopedComInit(const ScopedComInit&) = delete;
    ScopedComInit& operator=(const ScopedComInit&) = delete;
    ~ScopedComInit() {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }

    HRESULT result() const { return result_; }

  private:
    HRESULT result_;
};

}  // namespace vellum
