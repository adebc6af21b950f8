#pragma once
// Running this thread's message loop from a test, so that windows paint, timers fire and posted
// work is done.
#include <windows.h>

namespace vellum {

// Handles every message waiting now.
inline void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Keeps handling messages for a while.
inline void Pump(int milliseconds) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    do {
        PumpMessages();
        Sleep(5);
    } while (GetTickCount64() < end);
}

}  // namespace vellum
