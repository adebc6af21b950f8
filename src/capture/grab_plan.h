#pragma once
// What a grab takes for each capture type, and the path of the one-pixel frame.
#include <cstdint>
#include <vector>

namespace vellum {

// Where GetWinPic takes its source window and size.
enum class GrabSource {
    DesktopPrimaryDisplay,  // 0: the desktop window at the primary display's size
    ForegroundWindowOuter,  // 1 and 2: the foreground window at its outer (window rect) size
    None,                   // anything else: no window, size 0 x 0
};

// Which device context CaptureWindow reads, chosen by the main window's CapType.
enum class SourceDc {
    Client,       // 0 and 2: GetDC
    WholeWindow,  // 1: GetWindowDC
    None,         // anything else: no DC, nothing copied
};

GrabSource GrabSourceFor(int16_t capType);
SourceDc SourceDcFor(int16_t capType);

// False when the grab yields no bitmap: a width or height of 0 or less, or no source DC.
bool GrabMakesBitmap(int16_t capType, int32_t width, int32_t height);

struct PixelPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const PixelPoint& o) const { return x == o.x && y == o.y; }
};

// The LineTo targets that, starting at (0, 0), paint every pixel of the outermost ring of a
// width x height picture once (each segment excludes its end point). A 1 x 1 picture gets the one
// segment to (1, 0), which paints its only pixel. Empty for a size of zero or less.
std::vector<PixelPoint> BorderPath(int32_t width, int32_t height);

// The pen colour for a frame colour (0x00BBGGRR): a value outside 0x000000..0xFFFFFF, -1 (no
// colour chosen) included, gives red (255), as the outline overlay shows it.
uint32_t FrameColorOrRed(int32_t color);

}  // namespace vellum
