#include "capture/grab_plan.h"

namespace vellum {

GrabSource GrabSourceFor(int16_t capType) {
    switch (capType) {
        case 0:
            return GrabSource::DesktopPrimaryDisplay;
        case 1:
        case 2:
            return GrabSource::ForegroundWindowOuter;
        default:
            return GrabSource::None;
    }
}

SourceDc SourceDcFor(int16_t capType) {
    switch (capType) {
        case 0:
        case 2:
            return SourceDc::Client;
        case 1:
            return SourceDc::WholeWindow;
        default:
            return SourceDc::None;
    }
}

bool GrabMakesBitmap(int16_t capType, int32_t width, int32_t height) {
    return width > 0 && height > 0 && SourceDcFor(capType) != SourceDc::None;
}

std::vector<PixelPoint> BorderPath(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0)
        return {};
    if (width == 1 && height == 1)
        return {{1, 0}};
    return {{width - 1, 0}, {width - 1, height - 1}, {0, height - 1}, {0, 0}};
}

uint32_t FrameColorOrRed(int32_t color) {
    if (color < 0 || color > 0xFFFFFF)
        return 0x0000FF;
    return static_cast<uint32_t>(color);
}

}  // namespace vellum
