#pragma once
// A kernel handle (file, event, thread...) closed when it goes out of scope; move-only.
#include <windows.h>

#include <utility>

namespace vellum {

class ScopedHandle {
  public:
    ScopedHandle() = default;
    // Takes ownership; both null and INVALID_HANDLE_VALUE mean "no handle".
    explicit ScopedHandle(HANDLE handle)
        : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { Close(); }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Gives the handle up without closing it.
    HANDLE Release() { return std::exchange(handle_, nullptr); }
    void Close() {
        if (handle_)
            CloseHandle(std::exchange(handle_, nullptr));
    }

  private:
    HANDLE handle_ = nullptr;
};

}  // namespace vellum
