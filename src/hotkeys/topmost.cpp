#include "hotkeys/topmost.h"

namespace vellum::hotkeys {

void SetTopMostWindow(HWND hwnd, bool topMost, HWND& insertAfter) {
    if (!insertAfter)
        insertAfter = topMost ? HWND_TOPMOST : HWND_NOTOPMOST;
    SetWindowPos(hwnd, insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

}  // namespace vellum::hotkeys
