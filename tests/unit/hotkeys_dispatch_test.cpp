#include "hotkeys/hotkey_dispatch.h"

#include <gtest/gtest.h>

namespace vellum::hotkeys {
namespace {

TEST(ModifierMask, SumOfHeldModifiers) {
    EXPECT_EQ(ModifierMask(false, false, false), 0);
    EXPECT_EQ(ModifierMask(false, true, false), 1);
    EXPECT_EQ(ModifierMask(true, false, false), 2);
    EXPECT_EQ(ModifierMask(false, false, true), 4);
    EXPECT_EQ(ModifierMask(true, false, true), 6);
    EXPECT_EQ(ModifierMask(true, true, true), 7);
}

TEST(DecideKey, HotkeyTableWithExactMasks) {
    const struct {
        uint16_t mask;
        uint32_t vk;
        bool selecting;
        KeyAction action;
        bool swallow;
    } cases[] = {
        {2, kVkF12, false, KeyAction::ToggleMainWindow, true},
        {2, kVkF12, true, KeyAction::ToggleMainWindow, true},
        {6, kVkA, false, KeyAction::BeginOrCancelSelection, true},
        {6, kVkA, true, KeyAction::BeginOrCancelSelection, true},
        {0, kVkSnapshot, false, KeyAction::SaveScreen, true},
        {0, kVkF9, true, KeyAction::CancelSelection, true},
        // F9 without a selection is an ordinary key.
        {0, kVkF9, false, KeyAction::None, false},
        // Extra or missing modifiers make ordinary keys.
        {3, kVkF12, false, KeyAction::None, false},
        {0, kVkF12, false, KeyAction::None, false},
        {7, kVkA, true, KeyAction::None, false},
        {2, kVkA, false, KeyAction::None, false},
        {4, kVkA, false, KeyAction::None, false},
        {4, kVkSnapshot, false, KeyAction::None, false},
        {2, kVkSnapshot, false, KeyAction::None, false},
        {2, kVkF9, true, KeyAction::None, false},
        // Other keys, modifiers themselves included.
        {0, 0x42, true, KeyAction::None, false},
        {6, 0x42, false, KeyAction::None, false},
        {2, 0x11, false, KeyAction::None, false},
        {6, 0x12, false, KeyAction::None, false},
    };
    for (const auto& c : cases) {
        const KeyDecision d = DecideKey(c.mask, c.vk, c.selecting);
        EXPECT_EQ(d.action, c.action) << "mask " << c.mask << " vk " << c.vk;
        EXPECT_EQ(d.swallow, c.swallow) << "mask " << c.mask << " vk " << c.vk;
    }
}

TEST(IsKeyRelease, ReleasesNeverDispatched) {
    EXPECT_FALSE(IsKeyRelease(0x0100));  // WM_KEYDOWN
    EXPECT_FALSE(IsKeyRelease(0x0104));  // WM_SYSKEYDOWN
    EXPECT_TRUE(IsKeyRelease(0x0101));   // WM_KEYUP
    EXPECT_TRUE(IsKeyRelease(0x0105));   // WM_SYSKEYUP
}

TEST(DecideMouse, OnlyMovementPasses) {
    const struct {
        uint32_t message;
        MouseAction action;
        bool swallow;
    } cases[] = {
        {0x0200, MouseAction::Move, false},  {0x0201, MouseAction::StartDrag, true},
        {0x0202, MouseAction::Finish, true}, {0x0205, MouseAction::Cancel, true},
        {0x0204, MouseAction::None, true},  // right button down
        {0x0207, MouseAction::None, true},  // middle button
        {0x0208, MouseAction::None, true},   {0x020A, MouseAction::None, true},  // wheel
        {0x020B, MouseAction::None, true},                                       // extra buttons
        {0x020E, MouseAction::None, true},                                       // horizontal wheel
    };
    for (const auto& c : cases) {
        const MouseDecision d = DecideMouse(c.message);
        EXPECT_EQ(d.action, c.action) << std::hex << c.message;
        EXPECT_EQ(d.swallow, c.swallow) << std::hex << c.message;
    }
}

}  // namespace
}  // namespace vellum::hotkeys
