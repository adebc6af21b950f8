#pragma once
// The system-wide low-level keyboard and mouse hooks. Their callbacks only decide what an event
// means (hotkey_dispatch.h), swallow or pass it, and post the work to a window given at
// install time; the window does the work after the callback has returned. The hooks are
// installed on a thread of their own that does nothing else, so they are answered at once
// however long the window's thread is busy with a capture.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "hotkeys/hotkey_dispatch.h"
#include "hotkeys/region_selection.h"

namespace vellum::hotkeys {

// The program's keyboard and mouse hooks, installed and answered on a thread of their own.
// One object at a time may hold hooks (the platform calls a low-level hook without a context,
// so the hook procedures reach the object through one static pointer); its methods are called
// from one thread, the user-interface thread. The destructor removes both hooks and ends the
// thread.
class Hooks {
  public:
    Hooks();
    ~Hooks();
    Hooks(const Hooks&) = delete;
    Hooks& operator=(const Hooks&) = delete;

    // Installs the keyboard hook (replacing an installed one). Each hotkey press is posted to
    // `target` as `message`; read it with ReadPostedKey. Returns the hook, null on failure.
    HHOOK HookKeyboard(HWND target, UINT message) {
        return Install(Kind::Keyboard, target, message);
    }
    // The handle is forgotten only when the platform removed the hook.
    void UnhookKeyboard() { Remove(Kind::Keyboard); }
    HHOOK KeyboardHookHandle() const { return Handle(Kind::Keyboard); }

    // Installs the mouse hook for a selection (replacing an installed one). Every event but the
    // ignored ones is posted to `target` as `message`; read it with ReadPostedMouse.
    HHOOK HookMouse(HWND target, UINT message) { return Install(Kind::Mouse, target, message); }
    void UnhookMouse() { Remove(Kind::Mouse); }
    HHOOK MouseHookHandle() const { return Handle(Kind::Mouse); }

    // Whether a region selection runs: F9 is a hotkey only then. Set by the selection's owner.
    void SetSelectionRunning(bool running);

    // The hook thread's state; only hooks.cpp sees inside.
    struct Thread;
    enum class Kind { Keyboard, Mouse };

  private:
    HHOOK Install(Kind kind, HWND target, UINT message);
    void Remove(Kind kind);
    HHOOK Handle(Kind kind) const;
    // The hook thread, started by the first hook and ended once neither is installed.
    Thread* StartedThread();
    void StopThreadWhenIdle();

    std::unique_ptr<Thread> thread_;
    bool selectionRunning_ = false;
};

// The modifiers held now, from the generic Shift, Ctrl and Alt keys.
uint16_t CurrentModifierMask();

struct PostedKey {
    KeyAction action = KeyAction::None;
    uint16_t mask = 0;
    uint32_t vkCode = 0;
};
PostedKey ReadPostedKey(WPARAM wp, LPARAM lp);

struct PostedMouse {
    MouseAction action = MouseAction::None;
    uint16_t mask = 0;
    Point point;        // the event's screen point
    uint32_t time = 0;  // the event's time stamp in milliseconds (wraps after 49.7 days)
};
PostedMouse ReadPostedMouse(WPARAM wp, LPARAM lp);

}  // namespace vellum::hotkeys
