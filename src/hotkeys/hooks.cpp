#include "hotkeys/hooks.h"

#include <atomic>

namespace vellum::hotkeys {

// Posted events pack a point, or a time, mask and action, into 64-bit message parameters.
static_assert(sizeof(WPARAM) == 8 && sizeof(LPARAM) == 8, "a 64-bit build");

namespace {

// The hooks live on a thread of their own that does nothing but answer them. A low-level hook is
// called through the message loop of the thread that installed it; on the user-interface thread
// every slow step there (a capture being encoded, a message box, a dialog) would hold up each key
// press and mouse move of the desktop, and Windows silently removes a hook that keeps it waiting
// too long. The hook thread only decides and posts; the target window does the work.
constexpr UINT kInstallKeyboard = WM_APP + 1;
constexpr UINT kRemoveKeyboard = WM_APP + 2;
constexpr UINT kInstallMouse = WM_APP + 3;
constexpr UINT kRemoveMouse = WM_APP + 4;
constexpr wchar_t kHookWindowClass[] = L"VellumHookThread";

// Written by the thread that calls the Hook functions, read by the hook thread. Targets are set
// before the hook is installed, on the hook thread's side of a SendMessage.
std::atomic<HHOOK> keyboardHook{nullptr};
std::atomic<HWND> keyboardTarget{nullptr};
std::atomic<UINT> keyboardMessage{0};
std::atomic<HHOOK> mouseHook{nullptr};
std::atomic<HWND> mouseTarget{nullptr};
std::atomic<UINT> mouseMessage{0};
std::atomic<bool> selectionRunning{false};

HANDLE hookThread = nullptr;
HWND hookWindow = nullptr;  // message-only window of the hook thread

bool Held(int vk) {
    return (GetAsyncKeyState(vk) & 0x8000) != 0;
}

LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wp, LPARAM lp) {
    if (nCode == HC_ACTION && !IsKeyRelease(static_cast<uint32_t>(wp))) {
        const KBDLLHOOKSTRUCT key = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
        const uint16_t mask = CurrentModifierMask();
        const KeyDecision d = DecideKey(mask, key.vkCode, selectionRunning.load());
        if (d.action != KeyAction::None)
            PostMessageW(keyboardTarget.load(), keyboardMessage.load(),
                         static_cast<WPARAM>(d.action),
                         static_cast<LPARAM>((uint64_t{mask} << 32) | key.vkCode));
        if (d.swallow)
            return 1;
    }
    return CallNextHookEx(keyboardHook.load(), nCode, wp, lp);
}

LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wp, LPARAM lp) {
    if (nCode < 0)
        return CallNextHookEx(mouseHook.load(), nCode, wp, lp);
    const MSLLHOOKSTRUCT mouse = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lp);
    const MouseDecision d = DecideMouse(static_cast<uint32_t>(wp));
    if (d.action != MouseAction::None) {
        const uint16_t mask = CurrentModifierMask();
        const uint64_t point =
            (uint64_t{static_cast<uint32_t>(mouse.pt.y)} << 32) | static_cast<uint32_t>(mouse.pt.x);
        // The event's own time travels with it: the selection's throttle must measure the
        // user's moves, not how late the main window gets to them.
        PostMessageW(mouseTarget.load(), mouseMessage.load(),
                     (static_cast<WPARAM>(mouse.time) << 32) | (static_cast<WPARAM>(mask) << 8) |
                         static_cast<WPARAM>(d.action),
                     static_cast<LPARAM>(point));
    }
    if (d.swallow)
        return 1;
    return CallNextHookEx(mouseHook.load(), nCode, wp, lp);
}

// Removal keeps the handle when the platform refuses, so a later call tries again.
void Remove(std::atomic<HHOOK>& hook) {
    HHOOK h = hook.load();
    if (h && UnhookWindowsHookEx(h))
        hook = nullptr;
}

// Install replaces an installed hook; a failed removal keeps the old one rather than losing
// track of a hook still in place.
HHOOK Install(std::atomic<HHOOK>& hook, int type, HOOKPROC proc) {
    if (hook.load())
        Remove(hook);
    if (!hook.load())
        hook = SetWindowsHookExW(type, proc, GetModuleHandleW(nullptr), 0);
    return hook.load();
}

LRESULT CALLBACK HookWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case kInstallKeyboard:
            return reinterpret_cast<LRESULT>(
                Install(keyboardHook, WH_KEYBOARD_LL, &KeyboardHookProc));
        case kRemoveKeyboard:
            Remove(keyboardHook);
            return 0;
        case kInstallMouse:
            return reinterpret_cast<LRESULT>(Install(mouseHook, WH_MOUSE_LL, &MouseHookProc));
        case kRemoveMouse:
            Remove(mouseHook);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

DWORD WINAPI HookThreadMain(void* ready) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &HookWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kHookWindowClass;
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, kHookWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
    hookWindow = window;
    SetEvent(static_cast<HANDLE>(ready));
    if (!window)
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    DestroyWindow(window);
    return 0;
}

// The hook thread, started on first use. Null when it could not be started.
HWND HookWindow() {
    if (hookWindow)
        return hookWindow;
    if (hookThread) {
        CloseHandle(hookThread);
        hookThread = nullptr;
    }
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ready)
        return nullptr;
    hookThread = CreateThread(nullptr, 0, &HookThreadMain, ready, 0, nullptr);
    if (hookThread) {
        // The thread either makes its window or gives up; both set the event.
        HANDLE waits[2] = {ready, hookThread};
        WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    }
    CloseHandle(ready);
    return hookWindow;
}

// Ends the hook thread once neither hook is installed.
void StopHookThreadWhenIdle() {
    if (!hookWindow || keyboardHook.load() || mouseHook.load())
        return;
    PostMessageW(hookWindow, WM_QUIT, 0, 0);
    if (hookThread) {
        WaitForSingleObject(hookThread, 5000);
        CloseHandle(hookThread);
        hookThread = nullptr;
    }
    hookWindow = nullptr;
}

HHOOK SendToHookThread(UINT msg) {
    HWND window = HookWindow();
    if (!window)
        return nullptr;
    return reinterpret_cast<HHOOK>(SendMessageW(window, msg, 0, 0));
}

}  // namespace

uint16_t CurrentModifierMask() {
    return ModifierMask(Held(VK_CONTROL), Held(VK_SHIFT), Held(VK_MENU));
}

HHOOK HookKeyboard(HWND target, UINT message) {
    keyboardTarget = target;
    keyboardMessage = message;
    return SendToHookThread(kInstallKeyboard);
}

void UnhookKeyboard() {
    if (!keyboardHook.load())
        return;
    SendToHookThread(kRemoveKeyboard);
    StopHookThreadWhenIdle();
}

HHOOK KeyboardHookHandle() {
    return keyboardHook.load();
}

HHOOK HookMouse(HWND target, UINT message) {
    mouseTarget = target;
    mouseMessage = message;
    return SendToHookThread(kInstallMouse);
}

void UnhookMouse() {
    if (!mouseHook.load())
        return;
    SendToHookThread(kRemoveMouse);
    StopHookThreadWhenIdle();
}

HHOOK MouseHookHandle() {
    return mouseHook.load();
}

void SetSelectionRunning(bool running) {
    selectionRunning = running;
}

PostedKey ReadPostedKey(WPARAM wp, LPARAM lp) {
    const uint64_t bits = static_cast<uint64_t>(lp);
    return {static_cast<KeyAction>(wp), static_cast<uint16_t>(bits >> 32),
            static_cast<uint32_t>(bits)};
}

PostedMouse ReadPostedMouse(WPARAM wp, LPARAM lp) {
    const uint64_t bits = static_cast<uint64_t>(lp);
    PostedMouse m;
    m.action = static_cast<MouseAction>(wp & 0xFF);
    m.mask = static_cast<uint16_t>(wp >> 8);
    m.time = static_cast<uint32_t>(static_cast<uint64_t>(wp) >> 32);
    m.point = {static_cast<int32_t>(static_cast<uint32_t>(bits)),
               static_cast<int32_t>(static_cast<uint32_t>(bits >> 32))};
    return m;
}

}  // namespace vellum::hotkeys
