#include "hotkeys/hooks.h"

namespace vellum::hotkeys {

namespace {

// Module state, touched only on the thread that installed the hooks.
HHOOK keyboardHook = nullptr;
HWND keyboardTarget = nullptr;
UINT keyboardMessage = 0;
HHOOK mouseHook = nullptr;
HWND mouseTarget = nullptr;
UINT mouseMessage = 0;
bool selectionRunning = false;

bool Held(int vk) {
    return (GetKeyState(vk) & 0x8000) != 0;
}

LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wp, LPARAM lp) {
    if (nCode == HC_ACTION && !IsKeyRelease(static_cast<uint32_t>(wp))) {
        const KBDLLHOOKSTRUCT key = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
        const uint16_t mask = CurrentModifierMask();
        const KeyDecision d = DecideKey(mask, key.vkCode, selectionRunning);
        if (d.action != KeyAction::None)
            PostMessageW(keyboardTarget, keyboardMessage, static_cast<WPARAM>(d.action),
                         static_cast<LPARAM>((uint64_t{mask} << 32) | key.vkCode));
        if (d.swallow)
            return 1;
    }
    return CallNextHookEx(keyboardHook, nCode, wp, lp);
}

LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wp, LPARAM lp) {
    if (nCode < 0)
        return CallNextHookEx(mouseHook, nCode, wp, lp);
    const MSLLHOOKSTRUCT mouse = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lp);
    const MouseDecision d = DecideMouse(static_cast<uint32_t>(wp));
    if (d.action != MouseAction::None) {
        const uint16_t mask = CurrentModifierMask();
        const uint64_t point =
            (uint64_t{static_cast<uint32_t>(mouse.pt.y)} << 32) | static_cast<uint32_t>(mouse.pt.x);
        PostMessageW(mouseTarget, mouseMessage,
                     (static_cast<WPARAM>(mask) << 8) | static_cast<WPARAM>(d.action),
                     static_cast<LPARAM>(point));
    }
    if (d.swallow)
        return 1;
    return CallNextHookEx(mouseHook, nCode, wp, lp);
}

}  // namespace

uint16_t CurrentModifierMask() {
    return ModifierMask(Held(VK_CONTROL), Held(VK_SHIFT), Held(VK_MENU));
}

HHOOK HookKeyboard(HWND target, UINT message) {
    if (keyboardHook)
        UnhookKeyboard();
    keyboardTarget = target;
    keyboardMessage = message;
    // A failed removal keeps the old handle: do not lose track of a hook still installed.
    if (!keyboardHook)
        keyboardHook =
            SetWindowsHookExW(WH_KEYBOARD_LL, &KeyboardHookProc, GetModuleHandleW(nullptr), 0);
    return keyboardHook;
}

void UnhookKeyboard() {
    if (keyboardHook && UnhookWindowsHookEx(keyboardHook))
        keyboardHook = nullptr;
}

HHOOK KeyboardHookHandle() {
    return keyboardHook;
}

HHOOK HookMouse(HWND target, UINT message) {
    if (mouseHook)
        UnhookMouse();
    mouseTarget = target;
    mouseMessage = message;
    if (!mouseHook)
        mouseHook = SetWindowsHookExW(WH_MOUSE_LL, &MouseHookProc, GetModuleHandleW(nullptr), 0);
    return mouseHook;
}

void UnhookMouse() {
    if (mouseHook && UnhookWindowsHookEx(mouseHook))
        mouseHook = nullptr;
}

HHOOK MouseHookHandle() {
    return mouseHook;
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
    m.point = {static_cast<int32_t>(static_cast<uint32_t>(bits)),
               static_cast<int32_t>(static_cast<uint32_t>(bits >> 32))};
    return m;
}

}  // namespace vellum::hotkeys
