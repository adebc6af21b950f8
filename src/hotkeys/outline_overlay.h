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
    static constexpr COLORREF kDefaultColor = RGB(255, 0, 0);

    OutlineOverlay();
    ~OutlineOverlay();
    OutlineOverlay(const OutlineOverlay&) = delete;
    OutlineOverlay& operator=(const OutlineOverlay&) = delete;

    // The rectangle in screen pixels; the outline stays until Hide.
    void ShowRect(int32_t left, int32_t top, int32_t width, int32_t height);
    void SetTopMost();
    void Hide();
    // -1: red.
    void SetColor(int32_t color);

    // 0 left, 1 top, 2 right, 3 bottom.
    std::array<HWND, 4> EdgeHandles() const;
    int Thickness() const { return thickness_; }
    COLORREF Color() const { return color_; }

  private:
    friend class OutlineEdge;

    std::array<std::unique_ptr<OutlineEdge>, 4> edges_;
    int thickness_ = 1;
    COLORREF color_ = kDefaultColor;
};

}  // namespace vellum::hotkeys
