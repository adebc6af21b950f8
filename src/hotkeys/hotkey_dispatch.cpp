#include "hotkeys/hotkey_dispatch.h"

namespace vellum::hotkeys {

uint16_t ModifierMask(bool ctrlHeld, bool shiftHeld, bool altHeld) {
    uint16_t mask = 0;
    if (ctrlHeld)
        mask += kMaskCtrl;
    if (shiftHeld)
        mask += kMaskShift;
    if (altHeld)
        mask += kMaskAlt;
    return mask;
}

KeyDecision DecideKey(uint16_t mask, uint32_t vkCode, bool selectionRunning) {
    if (mask == kMaskCtrl && vkCode == kVkF12)
        return {KeyAction::ToggleMainWindow, true};
    if (mask == (kMaskCtrl | kMaskAlt) && vkCode == kVkA)
        return {KeyAction::BeginOrCancelSelection, true};
    if (mask == 0 && vkCode == kVkSnapshot)
        return {KeyAction::SaveScreen, true};
    if (mask == 0 && vkCode == kVkF9 && selectionRunning)
        return {KeyAction::CancelSelection, true};
    return {KeyAction::None, false};
}

MouseDecision DecideMouse(uint32_t message) {
    switch (message) {
        case kMouseMove:
            return {MouseAction::Move, false};
        case kLeftButtonDown:
            return {MouseAction::StartDrag, true};
        case kLeftButtonUp:
            return {MouseAction::Finish, true};
        case kRightButtonUp:
            return {MouseAction::Cancel, true};
        default:
            return {MouseAction::None, true};
    }
}

}  // namespace vellum::hotkeys
