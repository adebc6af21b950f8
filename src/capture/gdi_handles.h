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
        if (this != &o) reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    UniqueBitmap(const UniqueBitmap&) = delete;
    UniqueBitmap& operator=(const UniqueBitmap&) = delete;
    ~UniqueBitmap() { reset(); }

    HBITMAP get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    HBITMAP release() { return std::exchange(h_, nullptr); }
    void reset(HBITMAP h = nullptr) {
        if (h_) DeleteObject(h_);
        h_ = h;
    }

private:
    HBITMAP h_ = nullptr;
};

}  // namespace vellum
