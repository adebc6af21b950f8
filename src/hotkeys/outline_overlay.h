#pragma once
// A thin coloured frame around a screen rectangle, above all other windows, covering none of
// the rectangle: four borderless topmost edge windows just outside it. Created once; showing
// it again only moves the edges, and nothing here activates a window.
#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

namespace vellum::hotkeys {

class OutlineEdge;

class OutlineOverlay {
  public:
    // Edge thickness: 10 twips, at least one pixel.
    static constexpr int kEdgeTwips = 10;
    static constexpr UINT kDefaultHideDelayMs = 5000;
    static constexpr COLORREF kDefaultColor = RGB(255, 0, 0);

    OutlineOverlay();
    ~OutlineOverlay();
    OutlineOverlay(const OutlineOverlay&) = delete;
    OutlineOverlay& operator=(const OutlineOverlay&) = delete;

    // When true, the overlay hides itself when its timer fires after the last ShowRect.
    bool canAutoHide = false;

    // Outlines a window's outer rectangle; never one of the overlay's own edges.
    void ShowWindowRect(HWND hwnd);
    // usePixel false: the numbers are twips. owner: the window that owns the edges, or none.
    void ShowRect(int32_t left, int32_t top, int32_t width, int32_t height, bool usePixel = true,
                  HWND owner = nullptr);
    void SetTopMost();
    void Hide();
    // -1: red.
    void SetColor(int32_t color);

    // 0 left, 1 top, 2 right, 3 bottom.
    std::array<HWND, 4> EdgeHandles() const;
    bool IsOwnEdge(HWND hwnd) const;
    int Thickness() const { return thickness_; }
    COLORREF Color() const { return color_; }
    // The auto-hide delay restarted by every ShowRect (5 s unless changed).
    void SetHideDelay(UINT milliseconds) { hideDelayMs_ = milliseconds; }

  private:
    friend class OutlineEdge;
    void OnTimer();
    void RestartHideTimer();

    std::array<std::unique_ptr<OutlineEdge>, 4> edges_;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    int thickness_ = 1;
    COLORREF color_ = kDefaultColor;
    UINT hideDelayMs_ = kDefaultHideDelayMs;
};

}  // namespace vellum::hotkeys
