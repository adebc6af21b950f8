// Grabs of real screen pixels: a window painted with a known pattern is put on the screen, then
// captured through the program's grab functions.
#include "capture/grab.h"
#include "test_pictures.h"
#include "test_message_pump.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellum {
namespace {

// Every pixel of a pattern window's client area has a colour that depends on its position, so an
// offset by one pixel in either direction shows.
COLORREF PatternAt(int x, int y) {
    return RGB((x * 7 + y * 3) & 255, (x * 5 + y * 11 + 40) & 255, (x * 13 + y * 17 + 91) & 255);
}

LRESULT CALLBACK PatternProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        testing::PaintPixels(dc, rc.right, rc.bottom, [](int x, int y) {
            const COLORREF c = PatternAt(x, y);
            return static_cast<uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
        });
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// A window whose client area shows the pattern, on screen until it goes out of scope.
class PatternWindow {
  public:
    PatternWindow(RECT outer, DWORD style, DWORD exStyle) {
        static const ATOM cls = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = PatternProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            wc.lpszClassName = L"VellumCapturePattern";
            return RegisterClassW(&wc);
        }();
        hwnd_ = CreateWindowExW(exStyle, MAKEINTATOM(cls), L"pattern", style, outer.left, outer.top,
                                outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        SetForegroundWindow(hwnd_);
        UpdateWindow(hwnd_);
    }
    // Without a window manager Wine waits two seconds for every hidden or destroyed window to be
    // withdrawn; an empty window region takes the window off the screen at once, and the window
    // itself goes with the test process.
    ~PatternWindow() { SetWindowRgn(hwnd_, CreateRectRgn(0, 0, 0, 0), TRUE); }
    PatternWindow(const PatternWindow&) = delete;
    PatternWindow& operator=(const PatternWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    POINT ClientOrigin() const {
        POINT p{0, 0};
        ClientToScreen(hwnd_, &p);
        return p;
    }
    SIZE ClientSize() const {
        RECT rc;
        GetClientRect(hwnd_, &rc);
        return {rc.right, rc.bottom};
    }

    // Waits until the screen shows the pattern at the corners and the middle of the client area.
    bool WaitUntilShown() const {
        const DWORD start = GetTickCount();
        HDC screen = GetDC(nullptr);
        bool shown = false;
        while (!shown && GetTickCount() - start < 10000) {
            PumpMessages();
            const POINT o = ClientOrigin();
            const SIZE s = ClientSize();
            const POINT probes[] = {
                {0, 0}, {s.cx - 1, 0}, {0, s.cy - 1}, {s.cx - 1, s.cy - 1}, {s.cx / 2, s.cy / 2}};
            shown = s.cx > 0 && s.cy > 0;
            for (const POINT& p : probes)
                shown = shown && GetPixel(screen, o.x + p.x, o.y + p.y) == PatternAt(p.x, p.y);
            if (!shown)
                Sleep(20);
        }
        ReleaseDC(nullptr, screen);
        return shown;
    }

  private:
    HWND hwnd_ = nullptr;
};

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> colors;  // top-down
    COLORREF at(int x, int y) const { return colors[static_cast<size_t>(y) * width + x]; }
};

Pixels Read(HBITMAP bitmap) {
    Pixels out;
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm))
        return out;
    out.width = bm.bmWidth;
    out.height = bm.bmHeight;
    for (uint32_t v : testing::Rgb32Pixels(bitmap, bm.bmWidth, bm.bmHeight))
        out.colors.push_back(RGB((v >> 16) & 255, (v >> 8) & 255, v & 255));
    return out;
}

std::string Hex(COLORREF c) {
    char buf[16];
    snprintf(buf, sizeof buf, "0x%06lX", static_cast<unsigned long>(c));
    return buf;
}

constexpr DWORD kPopup = WS_POPUP;
constexpr DWORD kOnTop = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;

TEST(CaptureWindow, RectangleOfTheDesktopCopiesExactlyThoseScreenPixels) {
    PatternWindow window({40, 600, 240, 750}, kPopup, kOnTop);
    ASSERT_TRUE(window.WaitUntilShown());
    const POINT o = window.ClientOrigin();
    // CapType only picks the kind of DC; on the desktop window every kind is the screen.
    for (int16_t capType : {0, 1, 2}) {
        SCOPED_TRACE("CapType " + std::to_string(capType));
        const UniqueBitmap bitmap =
            CaptureWindow(GetDesktopWindow(), o.x + 10, o.y + 20, 30, 40, {capType, false, -1});
        const Pixels px = Read(bitmap.get());
        ASSERT_EQ(px.width, 30);
        ASSERT_EQ(px.height, 40);
        int wrong = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 30; ++x) wrong += px.at(x, y) != PatternAt(10 + x, 20 + y);
        EXPECT_EQ(wrong, 0) << "first pixel " << Hex(px.at(0, 0));
    }
}

TEST(GetWinPic, WholeScreenIsThePrimaryDisplayWhateverTheCapTypeOfItsDc) {
    PatternWindow window({300, 600, 420, 700}, kPopup, kOnTop);
    ASSERT_TRUE(window.WaitUntilShown());
    const POINT o = window.ClientOrigin();
    const SIZE s = window.ClientSize();
    for (int16_t capType : {0, 1, 2}) {
        SCOPED_TRACE("CapType " + std::to_string(capType));
        const UniqueBitmap bitmap = GetWinPic(0, {capType, false, -1});
        const Pixels px = Read(bitmap.get());
        ASSERT_EQ(px.width, GetSystemMetrics(SM_CXSCREEN));
        ASSERT_EQ(px.height, GetSystemMetrics(SM_CYSCREEN));
        int wrong = 0;
        for (int y = 0; y < s.cy; ++y)
            for (int x = 0; x < s.cx; ++x) wrong += px.at(o.x + x, o.y + y) != PatternAt(x, y);
        EXPECT_EQ(wrong, 0);
    }
}

TEST(GetWinPic, ActiveWindowAndInteriorTakeTheForegroundWindowsOuterSize) {
    PatternWindow window({700, 560, 960, 760}, WS_OVERLAPPEDWINDOW, WS_EX_TOPMOST);
    ASSERT_TRUE(window.WaitUntilShown());
    ASSERT_EQ(GetForegroundWindow(), window.hwnd());
    RECT outer;
    GetWindowRect(window.hwnd(), &outer);
    const POINT o = window.ClientOrigin();
    const SIZE s = window.ClientSize();

    // Type 1: the whole-window DC, from the window's outer corner.
    const Pixels active = Read(GetWinPic(1, {1, false, -1}).get());
    ASSERT_EQ(active.width, outer.right - outer.left);
    ASSERT_EQ(active.height, outer.bottom - outer.top);
    int wrong = 0;
    for (int y = 0; y < s.cy; ++y)
        for (int x = 0; x < s.cx; ++x)
            wrong += active.at(o.x - outer.left + x, o.y - outer.top + y) != PatternAt(x, y);
    EXPECT_EQ(wrong, 0);

    // Type 2: the client DC, from the client area's corner, but still the outer size.
    const Pixels interior = Read(GetWinPic(2, {2, false, -1}).get());
    ASSERT_EQ(interior.width, outer.right - outer.left);
    ASSERT_EQ(interior.height, outer.bottom - outer.top);
    wrong = 0;
    for (int y = 0; y < s.cy; ++y)
        for (int x = 0; x < s.cx; ++x) wrong += interior.at(x, y) != PatternAt(x, y);
    EXPECT_EQ(wrong, 0);
}

TEST(CaptureWindow, NoBitmapForAnEmptySizeOrCapTypeThree) {
    struct Case {
        int32_t w, h;
        int16_t capType;
    };
    const Case cases[] = {{0, 10, 0},  {10, 0, 0},  {-4, 10, 1},
                          {10, -4, 2}, {10, 10, 3}, {10, 10, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " CapType " +
                     std::to_string(c.capType));
        EXPECT_FALSE(CaptureWindow(GetDesktopWindow(), 0, 0, c.w, c.h, {c.capType, true, 255}));
    }
    // While CapType is 3 even the whole-screen grab of the Print Screen key copies nothing.
    EXPECT_FALSE(GetWinPic(0, {3, false, -1}));
    EXPECT_FALSE(GetWinPic(3, {0, false, -1}));
}

TEST(CaptureWindow, RectangleReachingPastTheScreenEdgeKeepsItsSize) {
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    const std::pair<int, int> corners[] = {{cx - 10, cy - 10}, {-10, -10}};
    for (const auto& [left, top] : corners) {
        SCOPED_TRACE(std::to_string(left) + "," + std::to_string(top));
        const Pixels px =
            Read(CaptureWindow(GetDesktopWindow(), left, top, 30, 30, {0, false, -1}).get());
        EXPECT_EQ(px.width, 30);
        EXPECT_EQ(px.height, 30);
    }
}

TEST(CaptureWindow, BorderPaintsTheOuterRingInTheTagColourAndKeepsTheRest) {
    PatternWindow window({40, 800, 200, 900}, kPopup, kOnTop);
    ASSERT_TRUE(window.WaitUntilShown());
    const POINT o = window.ClientOrigin();
    struct Case {
        int w, h;
        int32_t tag;
        COLORREF ring;
    };
    const Case cases[] = {
        {100, 50, 255, RGB(255, 0, 0)},
        {100, 50, -1, RGB(255, 0, 0)},
        {100, 50, 0x00C08040, RGB(0x40, 0x80, 0xC0)},
        {1, 1, 0x0000FF00, RGB(0, 255, 0)},
        {1, 6, 255, RGB(255, 0, 0)},
        {6, 1, 255, RGB(255, 0, 0)},
        {2, 2, 0, RGB(0, 0, 0)},
        {3, 3, 0x00FFFFFF, RGB(255, 255, 255)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " tag " +
                     std::to_string(c.tag));
        const Pixels px =
            Read(CaptureWindow(nullptr, o.x + 5, o.y + 7, c.w, c.h, {0, true, c.tag}).get());
        ASSERT_EQ(px.width, c.w);
        ASSERT_EQ(px.height, c.h);
        for (int y = 0; y < c.h; ++y) {
            for (int x = 0; x < c.w; ++x) {
                const bool ring = x == 0 || y == 0 || x == c.w - 1 || y == c.h - 1;
                const COLORREF expected = ring ? c.ring : PatternAt(5 + x, 7 + y);
                ASSERT_EQ(Hex(px.at(x, y)), Hex(expected)) << "pixel " << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace vellum
