#include "hotkeys/outline_overlay.h"

#include "platform/scoped_win.h"
#include "ui/control_design.h"
#include "ui/dpi.h"
#include "ui/window.h"

namespace vellum::hotkeys {

namespace {
constexpr wchar_t kEdgeClass[] = L"VellumFmLine";
}  // namespace

// One edge: a borderless topmost tool window filled with the frame colour.
class OutlineEdge : public ui::Window {
  public:
    OutlineEdge(OutlineOverlay& overlay, int size) : overlay_(overlay) {
        CreateTopLevel(kEdgeClass, L"", WS_POPUP,
                       WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, 0, 0, size, size,
                       nullptr);
    }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
            case WM_ERASEBKGND:
                return 1;
            case WM_PAINT: {
                const ScopedPaint dc(hwnd());
                RECT client;
                GetClientRect(hwnd(), &client);
                FillRect(dc, &client, UniqueBrush(CreateSolidBrush(overlay_.color_)).get());
                return 0;
            }
            case WM_MOUSEACTIVATE:
                return MA_NOACTIVATE;
        }
        return DefaultHandling(msg, wp, lp);
    }

  private:
    OutlineOverlay& overlay_;
};

OutlineOverlay::OutlineOverlay() {
    thickness_ = ui::TwipsToPixelsAtLeastOne(kEdgeTwips, ui::SystemDpi());
    for (auto& edge : edges_) {
        edge = std::make_unique<OutlineEdge>(*this, thickness_);
        if (edge->hwnd())
            SetWindowPos(edge->hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

OutlineOverlay::~OutlineOverlay() = default;

std::array<HWND, 4> OutlineOverlay::EdgeHandles() const {
    std::array<HWND, 4> handles{};
    for (size_t i = 0; i < edges_.size(); ++i) handles[i] = edges_[i] ? edges_[i]->hwnd() : nullptr;
    return handles;
}

void OutlineOverlay::ShowRect(int32_t left, int32_t top, int32_t width, int32_t height) {
    const int t = thickness_;
    const RECT placement[4] = {
        {left - t, top, t, height},      // left
        {left, top - t, width, t},       // top
        {left + width, top, t, height},  // right
        {left, top + height, width, t},  // bottom
    };
    for (size_t i = 0; i < edges_.size(); ++i) {
        if (HWND edge = edges_[i]->hwnd())
            SetWindowPos(edge, nullptr, placement[i].left, placement[i].top, placement[i].right,
                         placement[i].bottom, SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
    }
    HWND first = edges_[0]->hwnd();
    if (first && !IsWindowVisible(first)) {
        for (auto& edge : edges_) {
            if (!edge->hwnd())
                continue;
            SetWindowPos(edge->hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        }
    }
}

void OutlineOverlay::SetTopMost() {
    for (HWND edge : EdgeHandles())
        if (edge)
            SetWindowPos(edge, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void OutlineOverlay::Hide() {
    for (HWND edge : EdgeHandles())
        if (edge)
            ShowWindow(edge, SW_HIDE);
}

void OutlineOverlay::SetColor(int32_t color) {
    // Only the 0x00BBGGRR bits: a stray high byte would make a palette reference.
    color_ = color == -1 ? kDefaultColor : static_cast<COLORREF>(color) & 0x00FFFFFF;
    for (HWND edge : EdgeHandles())
        if (edge)
            InvalidateRect(edge, nullptr, TRUE);
}

}  // namespace vellum::hotkeys
