#pragma once
// What each key press and each mouse event of the low-level hooks does, and whether it is
// swallowed. Pure decisions: the hook callbacks act on them.
#include <cstdint>

namespace vellum::hotkeys {

// Modifier mask: the sum of the held modifiers. Left and right keys count alike.
constexpr uint16_t kMaskShift = 1;
constexpr uint16_t kMaskCtrl = 2;
constexpr uint16_t kMaskAlt = 4;

uint16_t ModifierMask(bool ctrlHeld, bool shiftHeld, bool altHeld);

// Virtual keys of the hotkeys.
constexpr uint32_t kVkSnapshot = 0x2C;
constexpr uint32_t kVkA = 0x41;
constexpr uint32_t kVkF9 = 0x78;
constexpr uint32_t kVkF12 = 0x7B;

// Keyboard messages: releases (WM_KEYUP, WM_SYSKEYUP) have bit 0 set and are never dispatched.
constexpr bool IsKeyRelease(uint32_t message) {
    return (message & 1) != 0;
}

enum class KeyAction : uint8_t {
    None,
    ToggleMainWindow,        // Ctrl+F12
    BeginOrCancelSelection,  // Ctrl+Alt+A
    SaveScreen,              // PrintScreen
    CancelSelection,         // F9 while a selection runs
};

struct KeyDecision {
    KeyAction action;
    bool swallow;
};

// A key press: the mask must match a hotkey exactly, so an extra modifier makes an ordinary key.
KeyDecision DecideKey(uint16_t mask, uint32_t vkCode, bool selectionRunning);

// Mouse messages seen by the mouse hook, which exists only while a selection runs.
constexpr uint32_t kMouseMove = 0x0200;
constexpr uint32_t kLeftButtonDown = 0x0201;
constexpr uint32_t kLeftButtonUp = 0x0202;
constexpr uint32_t kRightButtonUp = 0x0205;

enum class MouseAction : uint8_t {
    None,       // swallowed and ignored: other buttons, the wheel
    Move,       // update the selection; the pointer moves as usual
    StartDrag,  // left button down: anchor at the pointer
    Finish,     // left button up: end and capture
    Cancel,     // right button up
};

struct MouseDecision {
    MouseAction action;
    bool swallow;
};

MouseDecision DecideMouse(uint32_t message);

}  // namespace vellum::hotkeys
