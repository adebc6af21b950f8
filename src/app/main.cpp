#include <windows.h>

#include "app/main_window.h"
#include "app/main_window_rules.h"
#include "platform/scoped_win.h"
#include "platform/utf16.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    // Before anything can load a DLL: later loads search system32 only, never our own folder.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The shell's dialogs and the clipboard's picture objects need COM on this thread.
    // The window is gone before COM ends.
    const vellum::ScopedComInit com(COINIT_APARTMENTTHREADED);
    vellum::MainWindow mainWindow;
    if (!mainWindow.Create())
        return 1;
    // "/a" runs the program in the background: the window exists and the hotkeys work.
    if (!vellum::StartsInBackground(vellum::Narrow(arguments ? arguments : L"")))
        mainWindow.ShowNormal();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (mainWindow.hwnd() && IsDialogMessageW(mainWindow.hwnd(), &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
