#pragma once
// The grab: a rectangle of a window's device context copied into a new screen-compatible bitmap.
#include <windows.h>

#include <cstdint>

#include "platform/scoped_win.h"

namespace vellum {

// What the grab reads from the main window at the moment of the call.
struct CaptureOptions {
    int16_t capType = 0;       // 0 whole screen, 1 active window, 2 window interior, 3 no grab
    bool border = false;       // Check4 set: draw a one-pixel frame over the outermost ring
    int32_t borderColor = -1;  // 0x00BBGGRR
};

// Copies (left, top, width, height) of hWndSrc into a new bitmap; the kind of source DC follows
// options.capType (1: whole-window DC, 0 and 2: client DC, other: none). A width or height of 0,
// or capType 3, gives a null bitmap.
UniqueBitmap CaptureWindow(HWND hWndSrc, int32_t leftSrc, int32_t topSrc, int32_t widthSrc,
                           int32_t heightSrc, const CaptureOptions& options);

// Chooses source and size for a capture type (0 desktop at primary display size, 1 and 2 the
// foreground window's outer size, other: nothing) and grabs it with CaptureWindow.
UniqueBitmap GetWinPic(int16_t iCapType, const CaptureOptions& options);

}  // namespace vellum
