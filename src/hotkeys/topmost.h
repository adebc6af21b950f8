#pragma once
// Puts a window into or out of the topmost band.
#include <windows.h>

namespace vellum::hotkeys {

// When insertAfter is null it becomes HWND_TOPMOST or HWND_NOTOPMOST as topMost says, and the
// caller's variable keeps that value. The window is shown and activated as well.
void SetTopMostWindow(HWND hwnd, bool topMost, HWND& insertAfter);

}  // namespace vellum::hotkeys
