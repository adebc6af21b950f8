#pragma once
// The real DPI of a window or the system, with fallbacks for Windows versions before 10.
#include <windows.h>

namespace vellum::ui {

int SystemDpi();
int WindowDpi(HWND hwnd);
// Outer size of a window whose client area has the given size, at a DPI.
SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);
// The user's message font, sized for a DPI.
LOGFONTW MessageFontForDpi(int dpi);

}  // namespace vellum::ui
