#pragma once
// Twips (1/1440 inch) to pixels at a DPI, rounded to the nearest pixel.
#include <windows.h>

namespace vellum::hotkeys {

inline int TwipsToPixels(int twips, int dpi) {
    return MulDiv(twips, dpi, 1440);
}
// A design length that must stay visible: never thinner than one pixel.
inline int TwipsToPixelsAtLeastOne(int twips, int dpi) {
    const int px = TwipsToPixels(twips, dpi);
    return px < 1 ? 1 : px;
}

}  // namespace vellum::hotkeys
