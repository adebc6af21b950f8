// The outline overlay, the info tip and the topmost helper on the real screen: window
// rectangles read back from the platform and pixels read from the screen.
#include <gtest/gtest.h>

#include <string>

#include "hotkeys/info_tip.h"
#include "hotkeys/outline_overlay.h"
#include "hotkeys/topmost.h"
#include "test_message_pump.h"
#include "ui/dpi.h"

namespace vellum::hotkeys {
namespace {

RECT WindowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}

// The screen's pixel once painting has reached it (waits up to a second for the display).
COLORREF SettledPixel(int x, int y, COLORREF expected) {
    COLORREF c = ScreenPixel(x, y);
    for (int i = 0; i < 50 && c != expected; ++i) {
        Pump(20);
        c = ScreenPixel(x, y);
    }
    return c;
}

bool IsTopmost(HWND hwnd) {
    return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// An ordinary, activated top-level window of the test: a grey backdrop that holds the focus.
class Backdrop {
  public:
    Backdrop(int x, int y, int w, int h) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VellumHotkeysBackdrop";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"backdrop", WS_POPUP, x, y, w, h, nullptr,
                                nullptr, wc.hInstance, nullptr);
    }
    ~Backdrop() { DestroyWindow(hwnd_); }
    void ShowActive() {
        ShowWindow(hwnd_, SW_SHOW);
        SetForegroundWindow(hwnd_);
        UpdateWindow(hwnd_);
        Pump(50);
    }
    HWND hwnd() const { return hwnd_; }

  private:
    HWND hwnd_ = nullptr;
};

bool AtStandardDpi() {
    return ui::SystemDpi() == USER_DEFAULT_SCREEN_DPI;
}

// --- outline overlay ---

TEST(OutlineOverlay, EdgesLieJustOutsideTheRectangle) {
    OutlineOverlay overlay;
    const int t = overlay.Thickness();
    EXPECT_GE(t, 1);
    if (AtStandardDpi()) {
        EXPECT_EQ(t, 1) << "10 twips at 96 dpi";
    }
    overlay.ShowRect(100, 200, 300, 150);
    const RECT expected[4] = {
        {100 - t, 200, 100, 350},  // left
        {100, 200 - t, 400, 200},  // top
        {400, 200, 400 + t, 350},  // right
        {100, 350, 400, 350 + t},  // bottom
    };
    const auto edges = overlay.EdgeHandles();
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(IsWindow(edges[i]));
        EXPECT_TRUE(IsWindowVisible(edges[i])) << i;
        EXPECT_TRUE(IsTopmost(edges[i])) << i;
        EXPECT_EQ(Describe(WindowRect(edges[i])), Describe(expected[i])) << "edge " << i;
    }
}

TEST(OutlineOverlay, ColourOfTheEdgesOnScreen) {
    Backdrop backdrop(40, 40, 300, 200);
    backdrop.ShowActive();
    OutlineOverlay overlay;
    overlay.ShowRect(80, 80, 200, 100);
    const auto edges = overlay.EdgeHandles();
    // A pixel in the middle of each edge.
    const POINT probes[4] = {{79, 130}, {180, 79}, {280, 130}, {180, 180}};
    const struct {
        int32_t set;
        COLORREF shown;
    } cases[] = {
        {0, RGB(0, 0, 0)},                     // black is a colour, not "none"
        {RGB(0, 128, 255), RGB(0, 128, 255)},  //
        {-1, RGB(255, 0, 0)},                  // no colour chosen: red
        {RGB(12, 200, 34), RGB(12, 200, 34)},  //
        {0x7F0000FE, RGB(254, 0, 0)},          // only the colour bits count
    };
    for (int i = 0; i < 4; ++i) {
        UpdateWindow(edges[i]);
        EXPECT_EQ(SettledPixel(probes[i].x, probes[i].y, RGB(255, 0, 0)), RGB(255, 0, 0))
            << "red before any SetColor, edge " << i;
    }
    for (const auto& c : cases) {
        overlay.SetColor(c.set);
        for (int i = 0; i < 4; ++i) {
            UpdateWindow(edges[i]);
            EXPECT_EQ(SettledPixel(probes[i].x, probes[i].y, c.shown), c.shown)
                << "colour " << c.set << ", edge " << i;
        }
    }
    // Inside the rectangle the backdrop stays uncovered.
    EXPECT_EQ(ScreenPixel(81, 81), ScreenPixel(150, 130));
    EXPECT_NE(ScreenPixel(81, 81), RGB(254, 0, 0));
}

TEST(OutlineOverlay, ShownOnceWithoutActivationThenOnlyMoved) {
    Backdrop backdrop(500, 500, 100, 100);
    backdrop.ShowActive();
    ASSERT_EQ(GetForegroundWindow(), backdrop.hwnd());
    OutlineOverlay overlay;
    const auto edges = overlay.EdgeHandles();
    for (HWND e : edges) EXPECT_FALSE(IsWindowVisible(e));
    overlay.ShowRect(10, 10, 50, 50);
    EXPECT_EQ(GetForegroundWindow(), backdrop.hwnd());
    // While the outline is up, ShowRect does not show the edges again: an edge hidden behind
    // its back stays hidden, and moves.
    ShowWindow(edges[1], SW_HIDE);
    overlay.ShowRect(20, 30, 60, 70);
    EXPECT_FALSE(IsWindowVisible(edges[1]));
    EXPECT_EQ(Describe(WindowRect(edges[1])), Describe(RECT{20, 30 - overlay.Thickness(), 80, 30}));
    overlay.Hide();
    for (HWND e : edges) EXPECT_FALSE(IsWindowVisible(e));
    overlay.ShowRect(20, 30, 60, 70);
    for (HWND e : edges) EXPECT_TRUE(IsWindowVisible(e));
    EXPECT_EQ(GetForegroundWindow(), backdrop.hwnd());
    EXPECT_EQ(overlay.EdgeHandles(), edges);  // never recreated
}

TEST(OutlineOverlay, ReleaseDestroysTheEdges) {
    std::array<HWND, 4> edges;
    {
        OutlineOverlay overlay;
        overlay.ShowRect(10, 10, 40, 40);
        edges = overlay.EdgeHandles();
        overlay.SetTopMost();
        for (HWND e : edges) EXPECT_TRUE(IsTopmost(e));
    }
    for (HWND e : edges) EXPECT_FALSE(IsWindow(e));
}

// --- SetTopMostWindow ---

TEST(SetTopMostWindow, IntoAndOutOfTheTopmostBand) {
    Backdrop backdrop(600, 100, 80, 80);
    HWND w = backdrop.hwnd();
    ASSERT_FALSE(IsWindowVisible(w));

    HWND insertAfter = nullptr;
    SetTopMostWindow(w, true, insertAfter);
    EXPECT_EQ(insertAfter, HWND_TOPMOST);
    EXPECT_TRUE(IsTopmost(w));
    EXPECT_TRUE(IsWindowVisible(w));

    ShowWindow(w, SW_HIDE);
    insertAfter = nullptr;
    SetTopMostWindow(w, false, insertAfter);
    EXPECT_EQ(insertAfter, HWND_NOTOPMOST);
    EXPECT_FALSE(IsTopmost(w));
    EXPECT_TRUE(IsWindowVisible(w)) << "shown as well";

    // A given insertAfter is used as it is.
    insertAfter = HWND_TOPMOST;
    SetTopMostWindow(w, false, insertAfter);
    EXPECT_EQ(insertAfter, HWND_TOPMOST);
    EXPECT_TRUE(IsTopmost(w));
}

// --- info tip ---

RECT ShowAndMeasure(InfoTip& tip, const std::string& text) {
    tip.ShowInfo(text, 200, 300);
    return WindowRect(tip.hwnd());
}

TEST(InfoTip, PlacedAtPixelsAndNotKeptOnScreen) {
    InfoTip tip;
    tip.ShowInfo("x", 100, 50);
    ASSERT_TRUE(IsWindow(tip.hwnd()));
    EXPECT_TRUE(IsWindowVisible(tip.hwnd()));
    EXPECT_TRUE(IsTopmost(tip.hwnd()));
    RECT r = WindowRect(tip.hwnd());
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 50);

    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    tip.ShowInfo("a tip near the corner\r\nof the screen", sw - 20, sh - 10);
    r = WindowRect(tip.hwnd());
    EXPECT_EQ(r.left, sw - 20);
    EXPECT_EQ(r.top, sh - 10);
    EXPECT_GT(r.right, sw);
    EXPECT_GT(r.bottom, sh);
}

TEST(InfoTip, SizedToItsLinesPlusTheMargin) {
    InfoTip tip;
    const RECT one = ShowAndMeasure(tip, "起点(100,200) 宽300");
    const int m = tip.MarginPixels();
    EXPECT_GE(m, 1);
    const int lineHeight = one.bottom - one.top - 2 * m;
    const int width = one.right - one.left;
    EXPECT_GT(lineHeight, 5);

    const RECT two = ShowAndMeasure(tip, "起点(100,200) 宽300\r\n宽");
    EXPECT_EQ(two.right - two.left, width) << "as wide as its longer line";
    EXPECT_EQ(two.bottom - two.top - 2 * m, 2 * lineHeight);

    const RECT twoOtherWay = ShowAndMeasure(tip, "宽\r\n起点(100,200) 宽300");
    EXPECT_EQ(twoOtherWay.right - twoOtherWay.left, width);

    const RECT shorter = ShowAndMeasure(tip, "起点(1,2)");
    EXPECT_LT(shorter.right - shorter.left, width) << "shrinks with its text";
    EXPECT_EQ(shorter.bottom - shorter.top, one.bottom - one.top);

    // The prompt of a selection: two lines, no wrapping.
    const RECT prompt =
        ShowAndMeasure(tip, "请拖曳选取区块.F9或右键取消.\r\nShift选正方形.Ctrl移动选区.");
    EXPECT_EQ(prompt.bottom - prompt.top - 2 * m, 2 * lineHeight);
    EXPECT_EQ(tip.Text(), "请拖曳选取区块.F9或右键取消.\r\nShift选正方形.Ctrl移动选区.");
}

TEST(InfoTip, MagentaMarginPaleBlueLabelBlueText) {
    Backdrop backdrop(150, 150, 500, 300);
    backdrop.ShowActive();
    InfoTip tip;
    tip.ShowInfo("WWWW  MMMM", 200, 200);
    UpdateWindow(tip.hwnd());
    const RECT r = WindowRect(tip.hwnd());
    const int m = tip.MarginPixels();
    const COLORREF magenta = RGB(255, 0, 255), pale = RGB(192, 192, 255), blue = RGB(0, 0, 255);
    EXPECT_EQ(SettledPixel(r.left, r.top, magenta), magenta);
    EXPECT_EQ(SettledPixel(r.right - 1, r.bottom - 1, magenta), magenta);
    EXPECT_EQ(SettledPixel(r.left + m - 1, (r.top + r.bottom) / 2, magenta), magenta);
    // The label fills the rest: pale blue with blue text, nothing else but the blends between.
    // The label paints after the window, so look again until the picture has settled.
    struct Scan {
        int pale = 0, blue = 0, wrong = 0;
        POINT firstWrong{};
    };
    auto scanLabel = [&] {
        Scan scan;
        HDC screen = GetDC(nullptr);
        for (int y = r.top + m; y < r.bottom - m; ++y) {
            for (int x = r.left + m; x < r.right - m; ++x) {
                const COLORREF c = GetPixel(screen, x, y);
                scan.pale += c == pale;
                scan.blue += c == blue;
                if (GetBValue(c) != 255 || GetRValue(c) != GetGValue(c)) {
                    if (!scan.wrong++)
                        scan.firstWrong = {x, y};
                }
            }
        }
        ReleaseDC(nullptr, screen);
        return scan;
    };
    Scan scan = scanLabel();
    for (int i = 0; i < 40 && (scan.wrong || !scan.pale || !scan.blue); ++i) {
        Pump(25);
        scan = scanLabel();
    }
    EXPECT_EQ(scan.wrong, 0) << "first at " << scan.firstWrong.x << "," << scan.firstWrong.y;
    EXPECT_GT(scan.pale, 0);
    EXPECT_GT(scan.blue, 0);
}

TEST(InfoTip, ShownWithoutTakingTheFocus) {
    Backdrop backdrop(700, 500, 100, 100);
    backdrop.ShowActive();
    ASSERT_EQ(GetForegroundWindow(), backdrop.hwnd());
    InfoTip tip;
    tip.ShowInfo("tip", 710, 510);
    tip.ShowInfo("tip moved", 720, 520);
    EXPECT_EQ(GetForegroundWindow(), backdrop.hwnd());
}

TEST(InfoTip, CloseItThenAFreshWindow) {
    InfoTip tip;
    tip.ShowInfo("first", 10, 10);
    HWND first = tip.hwnd();
    ASSERT_TRUE(IsWindow(first));
    tip.Hide();
    EXPECT_FALSE(IsWindowVisible(first));
    tip.CloseIt();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(tip.hwnd(), nullptr);
    EXPECT_EQ(tip.Text(), "");

    tip.ShowInfo("second\r\nline", 30, 40);
    ASSERT_TRUE(IsWindow(tip.hwnd()));
    EXPECT_TRUE(IsWindowVisible(tip.hwnd()));
    EXPECT_EQ(tip.Text(), "second\r\nline");
    const RECT r = WindowRect(tip.hwnd());
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
    EXPECT_GT(r.bottom - r.top, 2 * tip.MarginPixels() + 10);
}

}  // namespace
}  // namespace vellum::hotkeys
