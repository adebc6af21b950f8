// The low-level hooks under real injected input: what they post to their window, and which
// events they swallow. A witness hook installed before the program's hook is called after it,
// so it sees exactly the events that the program's hook passes on.
#include "hotkeys/hooks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace vellum::hotkeys {
namespace {

constexpr UINT kKeyMessage = WM_APP + 40;
constexpr UINT kMouseMessage = WM_APP + 41;

struct Seen {
    WPARAM message;
    DWORD code;  // key: vkCode; mouse: unused
};
std::vector<Seen> witnessKeys;
std::vector<Seen> witnessMouse;

LRESULT CALLBACK WitnessKeyboard(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION)
        witnessKeys.push_back({wp, reinterpret_cast<KBDLLHOOKSTRUCT*>(lp)->vkCode});
    return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK WitnessMouse(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION)
        witnessMouse.push_back({wp, 0});
    return CallNextHookEx(nullptr, code, wp, lp);
}

INPUT Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    if (vk == VK_RCONTROL || vk == VK_RMENU || vk == VK_SNAPSHOT)
        in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    return in;
}

// Presses the modifiers in order, presses and releases the key, releases the modifiers.
std::vector<INPUT> Chord(std::vector<WORD> modifiers, WORD key) {
    std::vector<INPUT> inputs;
    for (WORD m : modifiers) inputs.push_back(Key(m, false));
    inputs.push_back(Key(key, false));
    inputs.push_back(Key(key, true));
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        inputs.push_back(Key(*it, true));
    return inputs;
}

INPUT MouseInput(DWORD flags, int x = 0, int y = 0, DWORD data = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    in.mi.mouseData = data;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        // Rounded up: the platform scales back with truncation.
        in.mi.dx = (x * 65536 + w - 1) / w;
        in.mi.dy = (y * 65536 + h - 1) / h;
    }
    return in;
}

// Sends the input from a second thread, one event at a time, while this thread runs the
// message loop through which its hooks are called; returns the messages posted to `target`.
std::vector<MSG> SendAndCollect(HWND target, std::vector<INPUT> inputs) {
    std::atomic<bool> sent{false};
    std::thread sender([&] {
        for (INPUT& in : inputs) {
            SendInput(1, &in, sizeof(INPUT));
            Sleep(10);
        }
        sent = true;
    });
    std::vector<MSG> posted;
    auto pump = [&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == target && (msg.message == kKeyMessage || msg.message == kMouseMessage))
                posted.push_back(msg);
            else
                DispatchMessageW(&msg);
        }
    };
    // Joining at once would block the hook calls, which come through this thread's loop.
    while (!sent) {
        pump();
        Sleep(2);
    }
    sender.join();
    pump();
    return posted;
}

class HooksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        target = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(target);
        witnessKeys.clear();
        witnessMouse.clear();
        keyWitness =
            SetWindowsHookExW(WH_KEYBOARD_LL, WitnessKeyboard, GetModuleHandleW(nullptr), 0);
        mouseWitness = SetWindowsHookExW(WH_MOUSE_LL, WitnessMouse, GetModuleHandleW(nullptr), 0);
        ASSERT_TRUE(keyWitness && mouseWitness);
    }
    void TearDown() override {
        hooks.reset();
        UnhookWindowsHookEx(keyWitness);
        UnhookWindowsHookEx(mouseWitness);
        DestroyWindow(target);
    }
    bool WitnessSaw(WPARAM message, DWORD vk) const {
        for (const Seen& s : witnessKeys)
            if (s.message == message && s.code == vk)
                return true;
        return false;
    }

    std::unique_ptr<Hooks> hooks = std::make_unique<Hooks>();
    HWND target = nullptr;
    HHOOK keyWitness = nullptr;
    HHOOK mouseWitness = nullptr;
};

TEST_F(HooksTest, HotkeysArePostedAndSwallowedOrdinaryKeysPass) {
    ASSERT_TRUE(hooks->HookKeyboard(target, kKeyMessage));
    EXPECT_EQ(hooks->KeyboardHookHandle() != nullptr, true);
    const struct {
        const char* name;
        std::vector<WORD> modifiers;
        WORD key;
        bool selecting;
        KeyAction action;  // None: nothing posted, the press passes
        uint16_t mask;
    } cases[] = {
        {"Ctrl+Alt+A", {VK_CONTROL, VK_MENU}, 'A', false, KeyAction::BeginOrCancelSelection, 6},
        {"right Ctrl+right Alt+A",
         {VK_RCONTROL, VK_RMENU},
         'A',
         true,
         KeyAction::BeginOrCancelSelection,
         6},
        {"Alt+Ctrl+A", {VK_MENU, VK_CONTROL}, 'A', false, KeyAction::BeginOrCancelSelection, 6},
        {"Ctrl+Alt+Shift+A", {VK_CONTROL, VK_MENU, VK_SHIFT}, 'A', false, KeyAction::None, 0},
        {"Ctrl+F12", {VK_CONTROL}, VK_F12, false, KeyAction::ToggleMainWindow, 2},
        {"Ctrl+Shift+F12", {VK_CONTROL, VK_SHIFT}, VK_F12, false, KeyAction::None, 0},
        {"PrintScreen", {}, VK_SNAPSHOT, false, KeyAction::SaveScreen, 0},
        {"Alt+PrintScreen", {VK_MENU}, VK_SNAPSHOT, false, KeyAction::None, 0},
        {"F9 without a selection", {}, VK_F9, false, KeyAction::None, 0},
        {"F9 during a selection", {}, VK_F9, true, KeyAction::CancelSelection, 0},
        {"A", {}, 'A', true, KeyAction::None, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        hooks->SetSelectionRunning(c.selecting);
        witnessKeys.clear();
        const std::vector<MSG> posted = SendAndCollect(target, Chord(c.modifiers, c.key));
        const bool hotkey = c.action != KeyAction::None;
        if (hotkey) {
            ASSERT_EQ(posted.size(), 1u);
            const PostedKey k = ReadPostedKey(posted[0].wParam, posted[0].lParam);
            EXPECT_EQ(k.action, c.action);
            EXPECT_EQ(k.mask, c.mask);
            EXPECT_EQ(k.vkCode, c.key);
        } else {
            EXPECT_TRUE(posted.empty());
        }
        const bool pressSeen = WitnessSaw(WM_KEYDOWN, c.key) || WitnessSaw(WM_SYSKEYDOWN, c.key);
        EXPECT_EQ(pressSeen, !hotkey) << "a hotkey press is swallowed, any other passes";
        EXPECT_TRUE(WitnessSaw(WM_KEYUP, c.key) || WitnessSaw(WM_SYSKEYUP, c.key))
            << "key releases always pass";
        for (WORD m : c.modifiers)
            EXPECT_TRUE(WitnessSaw(WM_KEYDOWN, m) || WitnessSaw(WM_SYSKEYDOWN, m))
                << "modifier " << m << " passes";
    }
}

TEST_F(HooksTest, ReinstallReplacesAndUnhookStops) {
    HHOOK first = hooks->HookKeyboard(target, kKeyMessage);
    ASSERT_TRUE(first);
    HHOOK second = hooks->HookKeyboard(target, kKeyMessage);
    ASSERT_TRUE(second);
    EXPECT_EQ(hooks->KeyboardHookHandle(), second);
    EXPECT_EQ(SendAndCollect(target, Chord({}, VK_SNAPSHOT)).size(), 1u) << "one hook only";

    hooks->UnhookKeyboard();
    EXPECT_EQ(hooks->KeyboardHookHandle(), nullptr);
    witnessKeys.clear();
    EXPECT_TRUE(SendAndCollect(target, Chord({}, VK_SNAPSHOT)).empty());
    EXPECT_TRUE(WitnessSaw(WM_KEYDOWN, VK_SNAPSHOT));
}

TEST_F(HooksTest, OneObjectHoldsHooksAtATime) {
    ASSERT_TRUE(hooks->HookKeyboard(target, kKeyMessage));
    {
        // The hook procedures could not tell whose hook they serve.
        Hooks second;
        EXPECT_EQ(second.HookKeyboard(target, kKeyMessage), nullptr);
        EXPECT_EQ(second.HookMouse(target, kMouseMessage), nullptr);
    }
    EXPECT_EQ(SendAndCollect(target, Chord({}, VK_SNAPSHOT)).size(), 1u)
        << "the first still serves";
    hooks.reset();  // removes its hook and ends its thread
    Hooks next;
    EXPECT_TRUE(next.HookKeyboard(target, kKeyMessage));
    EXPECT_EQ(SendAndCollect(target, Chord({}, VK_SNAPSHOT)).size(), 1u);
}

TEST_F(HooksTest, MouseButtonsAndWheelSwallowedMovesPass) {
    ASSERT_TRUE(hooks->HookMouse(target, kMouseMessage));
    const std::vector<MSG> posted = SendAndCollect(
        target, {
                    MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 300, 400),
                    MouseInput(MOUSEEVENTF_LEFTDOWN),
                    MouseInput(MOUSEEVENTF_RIGHTDOWN),
                    MouseInput(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(-WHEEL_DELTA)),
                    MouseInput(MOUSEEVENTF_MIDDLEDOWN),
                    MouseInput(MOUSEEVENTF_MIDDLEUP),
                    Key(VK_CONTROL, false),
                    MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 320, 410),
                    Key(VK_CONTROL, true),
                    MouseInput(MOUSEEVENTF_LEFTUP),
                    MouseInput(MOUSEEVENTF_RIGHTUP),
                });
    ASSERT_EQ(posted.size(), 5u);
    const PostedMouse move = ReadPostedMouse(posted[0].wParam, posted[0].lParam);
    EXPECT_EQ(move.action, MouseAction::Move);
    EXPECT_EQ(move.mask, 0);
    EXPECT_EQ(move.point, (Point{300, 400}));
    EXPECT_EQ(ReadPostedMouse(posted[1].wParam, posted[1].lParam).action, MouseAction::StartDrag);
    const PostedMouse ctrlMove = ReadPostedMouse(posted[2].wParam, posted[2].lParam);
    EXPECT_EQ(ctrlMove.action, MouseAction::Move);
    EXPECT_EQ(ctrlMove.mask, 2) << "Ctrl held during the move";
    EXPECT_EQ(ctrlMove.point, (Point{320, 410}));
    EXPECT_EQ(ReadPostedMouse(posted[3].wParam, posted[3].lParam).action, MouseAction::Finish);
    EXPECT_EQ(ReadPostedMouse(posted[4].wParam, posted[4].lParam).action, MouseAction::Cancel);

    // Only the two moves reached the witness.
    ASSERT_EQ(witnessMouse.size(), 2u);
    EXPECT_EQ(witnessMouse[0].message, static_cast<WPARAM>(WM_MOUSEMOVE));
    EXPECT_EQ(witnessMouse[1].message, static_cast<WPARAM>(WM_MOUSEMOVE));

    hooks->UnhookMouse();
    EXPECT_EQ(hooks->MouseHookHandle(), nullptr);
    witnessMouse.clear();
    EXPECT_TRUE(
        SendAndCollect(target, {MouseInput(MOUSEEVENTF_RIGHTDOWN), MouseInput(MOUSEEVENTF_RIGHTUP)})
            .empty());
    EXPECT_EQ(witnessMouse.size(), 2u) << "without the hook the buttons pass";
}

TEST(PostedMessages, NegativePointsSurviveThePacking) {
    // A second monitor left of or above the primary one gives negative coordinates.
    const uint64_t packed =
        (uint64_t{static_cast<uint32_t>(-1080)} << 32) | static_cast<uint32_t>(-1920);
    const PostedMouse m = ReadPostedMouse((WPARAM{3} << 8) | 1, static_cast<LPARAM>(packed));
    EXPECT_EQ(m.point, (Point{-1920, -1080}));
    EXPECT_EQ(m.mask, 3);
    EXPECT_EQ(m.action, MouseAction::Move);
}

}  // namespace
}  // namespace vellum::hotkeys
