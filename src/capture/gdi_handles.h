#pragma once
// Scoped owners of GDI objects: every path that takes one releases it.
#include <windows.h>

#include <utility>

namespace vellum {

// Owns a bitmap handle; a capture moves it into the save step, which deletes it.
class UniqueBitmap {
  public:
    UniqueBitmap() = default;
    explicit UniqueBitmap(HBITMAP h) : h_(h) {}
    UniqueBitmap(UniqueBitmap&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    UniqueBitmap& operator=(UniqueBitmap&& o) noexcept {
        if (this != &o)
            reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    UniqueBitmap(const UniqueBitmap&) = delete;
    UniqueBitmap& operator=(const UniqueBitmap&) = delete;
    ~UniqueBitmap() { reset(); }

    HBITMAP get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    HBITMAP release() { return std::exchange(h_, nullptr); }
    void reset(HBITMAP h = nullptr) {
        if (h_)
            DeleteObject(h_);
        h_ = h;
    }

  private:
    HBITMAP h_ = nullptr;
};

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

// Owns a GDI object (a pen, a brush...) and deletes it with DeleteObject. Declare it before the
// ScopedSelectObject that selects it, so that the selection ends first.
template <typename T>
class ScopedGdiObj {
  public:
    explicit ScopedGdiObj(T h) : h_(h) {}
    ScopedGdiObj(const ScopedGdiObj&) = delete;
    ScopedGdiObj& operator=(const ScopedGdiObj&) = delete;
    ~ScopedGdiObj() {
        if (h_)
            DeleteObject(h_);
    }

    T get() const { return h_; }
    operator T() const { return h_; }

  private:
    T h_;
};

using ScopedPen = ScopedGdiObj<HPEN>;

// Selects an object into a DC and selects the displaced one back when it goes out of scope.
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

}  // namespace vellum
