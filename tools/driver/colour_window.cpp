// A window of known colours on the screen, for tests that compare captured pixels.
#include "driver.h"

namespace driver {

namespace {

constexpr wchar_t kClassName[] = L"VellumDriverPaint";

struct Paint {
    RECT screen{};        // where the window lies
    bool coords = true;   // the coordinate pattern, else a solid colour
    COLORREF colour = 0;  // for the solid colour
};

// The coordinate pattern: the screen pixel (x, y) has red x % 256, green y % 256 and blue
// (x / 256 % 16) * 16 + y / 256 % 16, so every pixel of a 4096 x 4096 screen is unique.
void PaintCoords(HDC dc, const Paint& p) {
    const int w = p.screen.right - p.screen.left;
    const int h = p.screen.bottom - p.screen.top;
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int sx = p.screen.left + x;
            const int sy = p.screen.top + y;
            const DWORD r = sx & 0xFF;
            const DWORD g = sy & 0xFF;
            const DWORD b = (((sx >> 8) & 0xF) << 4) | ((sy >> 8) & 0xF);
            pixels[static_cast<size_t>(y) * w + x] = (r << 16) | (g << 8) | b;  // BGRA in memory
        }
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, pixels.data(), &bi, DIB_RGB_COLORS);
}

LRESULT CALLBACK PaintProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* p = reinterpret_cast<Paint*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_NCCREATE:
            SetWindowLongPtrW(
                hwnd, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
            break;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (p && p->coords) {
                PaintCoords(dc, *p);
            } else if (p) {
                HBRUSH brush = CreateSolidBrush(p->colour);
                RECT rc{};
                GetClientRect(hwnd, &rc);
                FillRect(dc, &rc, brush);
                DeleteObject(brush);
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

// paint LEFT TOP WIDTH HEIGHT [--color=RRGGBB] [--no-topmost]: shows a borderless window there,
// painted with the coordinate pattern (see PaintCoords) or with one solid colour, prints one
// line when it is on the screen, and stays until it is closed or killed.
int CmdPaint(const Args& args) {
    Paint p;
    const LONG left = static_cast<LONG>(args.Number(0));
    const LONG top = static_cast<LONG>(args.Number(1));
    const LONG width = static_cast<LONG>(args.Number(2));
    const LONG height = static_cast<LONG>(args.Number(3));
    if (width <= 0 || height <= 0)
        throw UsageError{L"paint needs a positive size"};
    p.screen = RECT{left, top, left + width, top + height};
    if (args.Has(L"color")) {
        const long long rgb = ParseNumber(L"0x" + args.Option(L"color"));
        p.coords = false;
        p.colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = PaintProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
    const DWORD exstyle =
        WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | (args.Has(L"no-topmost") ? 0 : WS_EX_TOPMOST);
    HWND hwnd = CreateWindowExW(exstyle, kClassName, L"vellum paint", WS_POPUP, left, top, width,
                                height, nullptr, nullptr, wc.hInstance, &p);
    if (!hwnd) {
        PrintError(L"CreateWindowEx failed: " + std::to_wstring(GetLastError()));
        return kExitFailed;
    }
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
    GdiFlush();
    // Let the window system put the painted surface on the screen before saying so.
    MSG msg;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 100) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
    DescribeWindow(hwnd).Emit();
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return kExitOk;
}

}  // namespace driver
