#include "hotkeys/hooks.h"

#include <atomic>

#include "platform/scoped_win.h"

namespace vellum::hotkeys {

// Posted events pack a point, or a time, mask and action, into 64-bit message parameters.
static_assert(sizeof(WPARAM) == 8 && sizeof(LPARAM) == 8, "a 64-bit build");

namespace {

// The hooks live on a thread of their own that does nothing but answer them. A low-level hook is
// called through the message loop of the thread that installed it; on the user-interface thread
// every slow step there (a capture being encoded, a message box, a dialog) would hold up each key
// press and mouse move of the desktop, and Windows silently removes a hook that keeps it waiting
// too long. The hook thread only decides and posts; the target window does the work.
// Sent to the hook thread's window; wParam: the hook's Kind.
constexpr UINT kInstallHook = WM_APP + 1;
constexpr UINT kRemoveHook = WM_APP + 2;
constexpr wchar_t kHookWindowClass[] = L"VellumHookThread";
// How long the end of the hook thread is waited for.
constexpr DWORD kThreadEndWaitMs = 5000;

bool Held(int vk) {
    return (GetAsyncKeyState(vk) & 0x8000) != 0;
}

// One of the two hooks: its handle, and where it posts its events (set on the user-interface
// thread, read by the hook procedure).
struct Slot {
    UniqueHook hook;
    std::atomic<HWND> window{nullptr};
    std::atomic<UINT> message{0};
    void Post(WPARAM wp, LPARAM lp) const { PostMessageW(window.load(), message.load(), wp, lp); }
};

}  // namespace

// The hook thread with its message-only window, the hooks it installed and their targets. The
// hooks are installed and removed on the hook thread, inside a SendMessage from the
// user-interface thread, which therefore sees their handles once the call has returned.
struct Hooks::Thread {
    Slot slots[2];  // by Kind
    std::atomic<bool> selectionRunning{false};
    UniqueHandle handle;
    UniqueHandle ready;     // set once the window is made, or could not be
    HWND window = nullptr;  // made and destroyed on the hook thread

    // The platform calls a low-level hook without a context: the procedures find the one
    // thread whose hooks are installed here.
    static std::atomic<Thread*> active;

    ~Thread() {
        Thread* self = this;
        active.compare_exchange_strong(self, nullptr);
    }

    // Starts the thread and waits until its window is there. False when it could not start.
    bool Start() {
        ready.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!ready)
            return false;
        handle.reset(CreateThread(nullptr, 0, &Thread::Main, this, 0, nullptr));
        if (!handle)
            return false;
        // The thread either makes its window or gives up; both set the event.
        HANDLE waits[2] = {ready.get(), handle.get()};
        WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        return window != nullptr;
    }

    // Ends the thread's loop and waits for it. False when it has not ended in time: it may
    // still read this object, which must then outlive it.
    bool Stop() {
        if (window)
            PostMessageW(window, WM_QUIT, 0, 0);
        return !handle || WaitForSingleObject(handle.get(), kThreadEndWaitMs) == WAIT_OBJECT_0;
    }

    Slot& Of(Kind kind) { return slots[static_cast<size_t>(kind)]; }
    bool AnyHook() const { return slots[0].hook || slots[1].hook; }
    LRESULT Send(UINT msg, Kind kind) const {
        return window ? SendMessageW(window, msg, static_cast<WPARAM>(kind), 0) : 0;
    }

    static DWORD WINAPI Main(void* param) {
        Thread& self = *static_cast<Thread*>(param);
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Thread::WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kHookWindowClass;
        RegisterClassW(&wc);
        const UniqueWindow window(CreateWindowExW(0, kHookWindowClass, L"", 0, 0, 0, 0, 0,
                                                  HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
        if (window)
            SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&self));
        self.window = window.get();
        SetEvent(self.ready.get());
        if (!window)
            return 1;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        return 0;
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<Thread*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self)
            return DefWindowProcW(hwnd, msg, wp, lp);
        const Kind kind = static_cast<Kind>(wp);
        switch (msg) {
            case kInstallHook:
                return reinterpret_cast<LRESULT>(
                    kind == Kind::Keyboard
                        ? Install(self->Of(kind).hook, WH_KEYBOARD_LL, &Thread::KeyboardProc)
                        : Install(self->Of(kind).hook, WH_MOUSE_LL, &Thread::MouseProc));
            case kRemoveHook:
                (void)self->Of(kind).hook.Close();
                return 0;
            default:
                return DefWindowProcW(hwnd, msg, wp, lp);
        }
    }

    // Replaces an installed hook; a failed removal keeps the old one (a hook still in place is
    // not lost track of) and installs nothing.
    static HHOOK Install(UniqueHook& hook, int type, HOOKPROC proc) {
        if (hook.Close())
            hook.reset(SetWindowsHookExW(type, proc, GetModuleHandleW(nullptr), 0));
        return hook.get();
    }

    static LRESULT CALLBACK KeyboardProc(int nCode, WPARAM wp, LPARAM lp) {
        Thread* self = active.load();
        if (self && nCode == HC_ACTION && !IsKeyRelease(static_cast<uint32_t>(wp))) {
            const KBDLLHOOKSTRUCT key = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
            const uint16_t mask = CurrentModifierMask();
            const KeyDecision d = DecideKey(mask, key.vkCode, self->selectionRunning.load());
            if (d.action != KeyAction::None)
                self->Of(Kind::Keyboard)
                    .Post(static_cast<WPARAM>(d.action),
                          static_cast<LPARAM>((uint64_t{mask} << 32) | key.vkCode));
            if (d.swallow)
                return 1;
        }
        return CallNextHookEx(self ? self->Of(Kind::Keyboard).hook.get() : nullptr, nCode, wp, lp);
    }

    static LRESULT CALLBACK MouseProc(int nCode, WPARAM wp, LPARAM lp) {
        Thread* self = active.load();
        if (!self || nCode < 0)
            return CallNextHookEx(self ? self->Of(Kind::Mouse).hook.get() : nullptr, nCode, wp, lp);
        const MSLLHOOKSTRUCT mouse = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lp);
        const MouseDecision d = DecideMouse(static_cast<uint32_t>(wp));
        if (d.action != MouseAction::None) {
            const uint16_t mask = CurrentModifierMask();
            const uint64_t point = (uint64_t{static_cast<uint32_t>(mouse.pt.y)} << 32) |
                                   static_cast<uint32_t>(mouse.pt.x);
            // The event's own time travels with it: the selection's throttle must measure the
            // user's moves, not how late the main window gets to them.
            self->Of(Kind::Mouse)
                .Post((static_cast<WPARAM>(mouse.time) << 32) | (static_cast<WPARAM>(mask) << 8) |
                          static_cast<WPARAM>(d.action),
                      static_cast<LPARAM>(point));
        }
        if (d.swallow)
            return 1;
        return CallNextHookEx(self->Of(Kind::Mouse).hook.get(), nCode, wp, lp);
    }
};

std::atomic<Hooks::Thread*> Hooks::Thread::active{nullptr};

Hooks::Hooks() = default;

namespace {

// Ends a hook thread. One that does not end in time keeps its state, which it may still read;
// the hook procedures no longer reach it.
void Retire(std::unique_ptr<Hooks::Thread> thread) {
    if (!thread || thread->Stop())
        return;
    Hooks::Thread* self = thread.get();
    Hooks::Thread::active.compare_exchange_strong(self, nullptr);
    (void)thread.release();
}

}  // namespace

Hooks::~Hooks() {
    UnhookKeyboard();
    UnhookMouse();
    // A hook the platform refused to remove goes with its thread.
    Retire(std::move(thread_));
}

Hooks::Thread* Hooks::StartedThread() {
    if (thread_)
        return thread_.get();
    auto thread = std::make_unique<Thread>();
    // Another object's hooks are installed: the procedures can serve only one.
    Thread* none = nullptr;
    if (!Thread::active.compare_exchange_strong(none, thread.get()))
        return nullptr;
    thread->selectionRunning = selectionRunning_;
    if (!thread->Start()) {
        Retire(std::move(thread));
        return nullptr;
    }
    thread_ = std::move(thread);
    return thread_.get();
}

void Hooks::StopThreadWhenIdle() {
    if (thread_ && !thread_->AnyHook())
        Retire(std::move(thread_));
}

uint16_t CurrentModifierMask() {
    return ModifierMask(Held(VK_CONTROL), Held(VK_SHIFT), Held(VK_MENU));
}

HHOOK Hooks::Install(Kind kind, HWND target, UINT message) {
    Thread* thread = StartedThread();
    if (!thread)
        return nullptr;
    thread->Of(kind).window = target;
    thread->Of(kind).message = message;
    return reinterpret_cast<HHOOK>(thread->Send(kInstallHook, kind));
}

void Hooks::Remove(Kind kind) {
    if (!thread_ || !thread_->Of(kind).hook)
        return;
    thread_->Send(kRemoveHook, kind);
    StopThreadWhenIdle();
}

HHOOK Hooks::Handle(Kind kind) const {
    return thread_ ? thread_->Of(kind).hook.get() : nullptr;
}

void Hooks::SetSelectionRunning(bool running) {
    selectionRunning_ = running;
    if (thread_)
        thread_->selectionRunning = running;
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
