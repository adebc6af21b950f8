#pragma once
// Base of the program's top-level windows: `this` is stored at WM_NCCREATE and one message
// handler per class dispatches to named handlers.
#include <windows.h>

namespace vellum::ui {

class Window {
  public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }

  protected:
    // Registers the class on first use and creates the window; false when it could not be made.
    bool CreateTopLevel(const wchar_t* className, const wchar_t* caption, DWORD style,
                        DWORD exStyle, int x, int y, int width, int height, HWND owner);

    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT DefaultHandling(UINT msg, WPARAM wp, LPARAM lp) {
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }

  private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
};

}  // namespace vellum::ui
