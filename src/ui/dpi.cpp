#include "ui/dpi.h"

#include "platform/system_library.h"

namespace vellum::ui {

namespace {

// Loaded here rather than looked up: the program delay-loads user32, which may not be loaded yet.
template <typename Fn>
Fn User32Function(const char* name) {
    static const UniqueModule user32 = LoadSystemLibrary(L"user32.dll");
    return ModuleFunction<Fn>(user32, name);
}

}  // namespace

int SystemDpi() {
    using Fn = UINT(WINAPI*)();
    if (static Fn fn = User32Function<Fn>("GetDpiForSystem"); fn)
        return static_cast<int>(fn());
    const int dpi = GetDeviceCaps(ScopedGetDC(nullptr), LOGPIXELSY);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int WindowDpi(HWND hwnd) {
    using Fn = UINT(WINAPI*)(HWND);
    if (static Fn fn = User32Function<Fn>("GetDpiForWindow"); fn) {
        const UINT dpi = fn(hwnd);
        if (dpi)
            return static_cast<int>(dpi);
    }
    return SystemDpi();
}

SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
    RECT r{0, 0, clientWidth, clientHeight};
    using Fn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static Fn fn = User32Function<Fn>("AdjustWindowRectExForDpi");
    if (!fn || !fn(&r, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

LOGFONTW MessageFontForDpi(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    using Fn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static Fn fn = User32Function<Fn>("SystemParametersInfoForDpi");
    if (fn && fn(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi)))
        return metrics.lfMessageFont;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi());
    return font;
}

}  // namespace vellum::ui
