#include "capture/grab.h"

#include "capture/grab_plan.h"

namespace vellum {
namespace {

// Paints a one-pixel frame of `color` over the outermost ring of the picture in `dc`.
void DrawBorder(HDC dc, int32_t color, int32_t width, int32_t height) {
    UniquePen pen(CreatePen(PS_SOLID, 1, static_cast<COLORREF>(FrameColorOrRed(color))));
    ScopedSelectObject selected(dc, pen.get());
    MoveToEx(dc, 0, 0, nullptr);
    for (const PixelPoint& p : BorderPath(width, height)) LineTo(dc, p.x, p.y);
}

}  // namespace

UniqueBitmap CaptureWindow(HWND hWndSrc, int32_t leftSrc, int32_t topSrc, int32_t widthSrc,
                           int32_t heightSrc, const CaptureOptions& options) {
    if (!GrabMakesBitmap(options.capType, widthSrc, heightSrc))
        return {};

    const ScopedGetDC source(hWndSrc, SourceDcFor(options.capType) == SourceDc::WholeWindow
                                          ? ScopedGetDC::Kind::WholeWindow
                                          : ScopedGetDC::Kind::Client);
    if (!source.get())
        return {};
    const ScopedMemDC memory(source);
    // Compatible with the source DC, not the memory DC: the display's colour format, not 1 bpp.
    UniqueBitmap bitmap(CreateCompatibleBitmap(source, widthSrc, heightSrc));
    if (!memory.get() || !bitmap)
        return {};

    {
        const ScopedSelectObject selected(memory, bitmap.get());
        if (!selected)
            return {};
        // SRCCOPY alone: layered windows are left out (no CAPTUREBLT).
        if (!BitBlt(memory, 0, 0, widthSrc, heightSrc, source, leftSrc, topSrc, SRCCOPY)) {
            return {};  // a picture of nothing must not be saved as if it were the screen
        }
        if (options.border)
            DrawBorder(memory, options.borderColor, widthSrc, heightSrc);
    }  // the bitmap leaves the memory DC here, before the DC is deleted
    return bitmap;
}

UniqueBitmap GetWinPic(int16_t iCapType, const CaptureOptions& options) {
    HWND source = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    switch (GrabSourceFor(iCapType)) {
        case GrabSource::DesktopPrimaryDisplay:
            source = GetDesktopWindow();
            width = GetSystemMetrics(SM_CXSCREEN);
            height = GetSystemMetrics(SM_CYSCREEN);
            break;
        case GrabSource::ForegroundWindowOuter: {
            source = GetForegroundWindow();
            RECT r{};
            if (source && GetWindowRect(source, &r)) {
                width = r.right - r.left;
                height = r.bottom - r.top;
            }
            break;
        }
        case GrabSource::None:
            break;
    }
    return CaptureWindow(source, 0, 0, width, height, options);
}

}  // namespace vellum
