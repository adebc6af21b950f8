// Playing the user: mouse and keyboard through SendInput (which reaches low-level hooks),
// messages posted or sent to windows, focus changes.
#include "driver.h"

#include <cstdio>
#include <cwctype>

namespace driver {

namespace {

// Absolute SendInput coordinates are 0..65535 across the virtual desktop.
LONG Normalise(LONG pos, LONG origin, LONG extent) {
    return static_cast<LONG>((static_cast<long long>(pos - origin) * 65536 + extent - 1) / extent);
}

INPUT MouseInput(DWORD flags, POINT screen) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = Normalise(screen.x, GetSystemMetrics(SM_XVIRTUALSCREEN),
                         GetSystemMetrics(SM_CXVIRTUALSCREEN));
    in.mi.dy = Normalise(screen.y, GetSystemMetrics(SM_YVIRTUALSCREEN),
                         GetSystemMetrics(SM_CYVIRTUALSCREEN));
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK | MOUSEEVENTF_MOVE;
    return in;
}

// Under Wine, SendInput now and then refuses input for a moment (seen while another process's
// windows or hooks go away): the events not taken are sent again after a short pause.
bool Send(std::vector<INPUT>& inputs) {
    size_t done = 0;
    for (int attempt = 0; done < inputs.size() && attempt < 40; ++attempt) {
        if (attempt > 0)
            Sleep(25);
        done +=
            SendInput(static_cast<UINT>(inputs.size() - done), inputs.data() + done, sizeof(INPUT));
    }
    if (done < inputs.size())
        fwprintf(stderr, L"SendInput took %zu of %zu events (error %lu)\n", done, inputs.size(),
                 GetLastError());
    return done == inputs.size();
}

bool SendMouse(DWORD flags, POINT screen) {
    std::vector<INPUT> inputs{MouseInput(flags, screen)};
    return Send(inputs);
}

struct NamedKey {
    const wchar_t* name;
    WORD vk;
};

constexpr NamedKey kKeys[] = {
    {L"ctrl", VK_CONTROL},      {L"control", VK_CONTROL},      {L"alt", VK_MENU},
    {L"menu", VK_MENU},         {L"shift", VK_SHIFT},          {L"win", VK_LWIN},
    {L"lctrl", VK_LCONTROL},    {L"rctrl", VK_RCONTROL},       {L"lalt", VK_LMENU},
    {L"ralt", VK_RMENU},        {L"lshift", VK_LSHIFT},        {L"rshift", VK_RSHIFT},
    {L"snapshot", VK_SNAPSHOT}, {L"printscreen", VK_SNAPSHOT}, {L"enter", VK_RETURN},
    {L"return", VK_RETURN},     {L"escape", VK_ESCAPE},        {L"esc", VK_ESCAPE},
    {L"tab", VK_TAB},           {L"space", VK_SPACE},          {L"backspace", VK_BACK},
    {L"delete", VK_DELETE},     {L"insert", VK_INSERT},        {L"home", VK_HOME},
    {L"end", VK_END},           {L"pageup", VK_PRIOR},         {L"pagedown", VK_NEXT},
    {L"left", VK_LEFT},         {L"right", VK_RIGHT},          {L"up", VK_UP},
    {L"down", VK_DOWN},         {L"pause", VK_PAUSE},          {L"apps", VK_APPS},
};

// Keys whose scan code carries the extended prefix.
bool IsExtended(WORD vk) {
    switch (vk) {
        case VK_RCONTROL:
        case VK_RMENU:
        case VK_INSERT:
        case VK_DELETE:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_SNAPSHOT:
        case VK_LWIN:
        case VK_RWIN:
        case VK_APPS:
        case VK_DIVIDE:
            return true;
        default:
            return false;
    }
}

WORD KeyCode(const std::wstring& name) {
    std::wstring lower;
    for (wchar_t c : name) lower += static_cast<wchar_t>(std::towlower(c));
    for (const auto& key : kKeys) {
        if (lower == key.name)
            return key.vk;
    }
    if (lower.size() == 1 &&
        ((lower[0] >= L'a' && lower[0] <= L'z') || (lower[0] >= L'0' && lower[0] <= L'9'))) {
        return static_cast<WORD>(std::towupper(lower[0]));
    }
    if (lower.size() >= 2 && lower[0] == L'f') {
        const long long n = ParseNumber(lower.substr(1));
        if (n >= 1 && n <= 24)
            return static_cast<WORD>(VK_F1 + n - 1);
    }
    if (lower.compare(0, 3, L"vk:") == 0)
        return static_cast<WORD>(ParseNumber(lower.substr(3)));
    throw UsageError{L"unknown key: " + name};
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtended(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    return in;
}

std::vector<WORD> ParseChord(const std::wstring& chord) {
    std::vector<WORD> keys;
    size_t start = 0;
    for (;;) {
        const size_t plus = chord.find(L'+', start);
        keys.push_back(KeyCode(chord.substr(start, plus - start)));
        if (plus == std::wstring::npos)
            break;
        start = plus + 1;
    }
    return keys;
}

struct MessageName {
    const wchar_t* name;
    UINT value;
};

constexpr MessageName kMessages[] = {
    {L"WM_SYSCOMMAND", WM_SYSCOMMAND},
    {L"WM_CLOSE", WM_CLOSE},
    {L"WM_COMMAND", WM_COMMAND},
    {L"WM_APP", WM_APP},
    {L"WM_USER", WM_USER},
    {L"WM_TIMER", WM_TIMER},
    {L"WM_QUIT", WM_QUIT},
    {L"WM_KEYDOWN", WM_KEYDOWN},
    {L"WM_KEYUP", WM_KEYUP},
    {L"WM_SETFOCUS", WM_SETFOCUS},
    {L"WM_KILLFOCUS", WM_KILLFOCUS},
    {L"WM_NEXTDLGCTL", WM_NEXTDLGCTL},
    {L"BM_CLICK", BM_CLICK},
    {L"SC_MINIMIZE", SC_MINIMIZE},
    {L"SC_MAXIMIZE", SC_MAXIMIZE},
    {L"SC_RESTORE", SC_RESTORE},
    {L"SC_CLOSE", SC_CLOSE},
};

// A message or parameter: a number, a name of the table, or NAME+N (e.g. WM_APP+1).
long long ParseSymbol(const std::wstring& text) {
    const size_t plus = text.find(L'+', 1);
    const std::wstring base = text.substr(0, plus);
    long long value = 0;
    bool named = false;
    for (const auto& m : kMessages) {
        if (base == m.name) {
            value = m.value;
            named = true;
        }
    }
    if (!named)
        value = ParseNumber(base);
    if (plus != std::wstring::npos)
        value += ParseNumber(text.substr(plus + 1));
    return value;
}

// Attaches the driver's input state to the window's thread for the object's lifetime, so that
// SetFocus and SetForegroundWindow act on that thread's windows.
class AttachedInput {
  public:
    explicit AttachedInput(HWND hwnd)
        : mine_(GetCurrentThreadId()), theirs_(GetWindowThreadProcessId(hwnd, nullptr)) {
        attached_ = theirs_ != mine_ && AttachThreadInput(mine_, theirs_, TRUE);
    }
    ~AttachedInput() {
        if (attached_)
            AttachThreadInput(mine_, theirs_, FALSE);
    }
    AttachedInput(const AttachedInput&) = delete;
    AttachedInput& operator=(const AttachedInput&) = delete;

  private:
    DWORD mine_;
    DWORD theirs_;
    bool attached_ = false;
};

}  // namespace

POINT CentreOf(HWND hwnd) {
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

bool MouseClickAt(POINT screen, bool right, bool twice) {
    const DWORD down = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    const DWORD up = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    // Arrive with a movement, as a hand does, so that the window under the pointer sees it
    // come in before the buttons.
    const POINT beside{screen.x > 0 ? screen.x - 1 : screen.x + 1, screen.y};
    std::vector<INPUT> inputs{MouseInput(0, beside), MouseInput(0, screen),
                              MouseInput(down, screen), MouseInput(up, screen)};
    if (twice) {
        inputs.push_back(MouseInput(down, screen));
        inputs.push_back(MouseInput(up, screen));
    }
    return Send(inputs);
}

// click WINDOW [--double] [--right] [--at=X,Y]: a mouse click at the window's centre, or at
// the point X,Y of its client area.
int CmdClick(const Args& args) {
    HWND hwnd = args.Window(0);
    POINT pt = CentreOf(hwnd);
    if (args.Has(L"at")) {
        const std::wstring at = args.Option(L"at");
        const size_t comma = at.find(L',');
        if (comma == std::wstring::npos)
            throw UsageError{L"--at needs X,Y"};
        pt = POINT{static_cast<LONG>(ParseNumber(at.substr(0, comma))),
                   static_cast<LONG>(ParseNumber(at.substr(comma + 1)))};
        ClientToScreen(hwnd, &pt);
    }
    const bool ok = MouseClickAt(pt, args.Has(L"right"), args.Has(L"double"));
    JsonLine().Handle("hwnd", hwnd).Int("x", pt.x).Int("y", pt.y).Bool("sent", ok).Emit();
    return ok ? kExitOk : kExitFailed;
}

// mouse move|down|up|click|rdown|rup X Y [X Y ...]: absolute mouse events at screen points
// (with several points, "move" plays a path).
int CmdMouse(const Args& args) {
    const std::wstring action = args.Text(0);
    DWORD flags = 0;
    if (action == L"move") {
        flags = 0;
    } else if (action == L"down") {
        flags = MOUSEEVENTF_LEFTDOWN;
    } else if (action == L"up") {
        flags = MOUSEEVENTF_LEFTUP;
    } else if (action == L"rdown") {
        flags = MOUSEEVENTF_RIGHTDOWN;
    } else if (action == L"rup") {
        flags = MOUSEEVENTF_RIGHTUP;
    } else if (action != L"click") {
        throw UsageError{L"mouse action must be move, down, up, rdown, rup or click"};
    }
    if (args.Count() < 3 || (args.Count() - 1) % 2 != 0)
        throw UsageError{L"mouse needs X Y"};
    bool ok = true;
    for (size_t i = 1; i + 1 < args.Count(); i += 2) {
        const POINT pt{static_cast<LONG>(args.Number(i)), static_cast<LONG>(args.Number(i + 1))};
        ok = (action == L"click" ? MouseClickAt(pt, false, false) : SendMouse(flags, pt)) && ok;
        if (i + 3 < args.Count())
            Sleep(static_cast<DWORD>(args.OptionNumber(L"step-ms", 10)));
    }
    POINT now{};
    GetCursorPos(&now);
    JsonLine().Bool("sent", ok).Int("cursor_x", now.x).Int("cursor_y", now.y).Emit();
    return ok ? kExitOk : kExitFailed;
}

// key CHORD [CHORD ...] [--down | --up] [--hold-ms=N]: presses each chord ("ctrl+alt+a",
// "snapshot", "ctrl+f12") and releases it in reverse order. --down only presses, --up only
// releases.
int CmdKey(const Args& args) {
    if (args.Count() == 0)
        throw UsageError{L"key needs a chord"};
    const bool only_down = args.Has(L"down");
    const bool only_up = args.Has(L"up");
    const DWORD hold = static_cast<DWORD>(args.OptionNumber(L"hold-ms", 0));
    bool ok = true;
    for (size_t i = 0; i < args.Count(); ++i) {
        const std::vector<WORD> keys = ParseChord(args.Text(i));
        std::vector<INPUT> downs;
        std::vector<INPUT> ups;
        for (WORD vk : keys) downs.push_back(KeyInput(vk, false));
        for (auto it = keys.rbegin(); it != keys.rend(); ++it) ups.push_back(KeyInput(*it, true));
        if (!only_up)
            ok = Send(downs) && ok;
        if (hold)
            Sleep(hold);
        if (!only_down)
            ok = Send(ups) && ok;
    }
    JsonLine().Bool("sent", ok).Emit();
    return ok ? kExitOk : kExitFailed;
}

// post WINDOW MSG [WPARAM [LPARAM]]: PostMessage; names like WM_SYSCOMMAND, SC_CLOSE, WM_APP+1.
int CmdPost(const Args& args) {
    HWND hwnd = args.Window(0);
    const UINT msg = static_cast<UINT>(ParseSymbol(args.Text(1)));
    const WPARAM wp = args.Count() > 2 ? static_cast<WPARAM>(ParseSymbol(args.Text(2))) : 0;
    const LPARAM lp = args.Count() > 3 ? static_cast<LPARAM>(ParseSymbol(args.Text(3))) : 0;
    const bool ok = PostMessageW(hwnd, msg, wp, lp);
    JsonLine().Handle("hwnd", hwnd).Int("msg", msg).Bool("posted", ok).Emit();
    return ok ? kExitOk : kExitFailed;
}

// send WINDOW MSG [WPARAM [LPARAM]] [--timeout=MS]: SendMessageTimeout, prints the result.
int CmdSend(const Args& args) {
    HWND hwnd = args.Window(0);
    const UINT msg = static_cast<UINT>(ParseSymbol(args.Text(1)));
    const WPARAM wp = args.Count() > 2 ? static_cast<WPARAM>(ParseSymbol(args.Text(2))) : 0;
    const LPARAM lp = args.Count() > 3 ? static_cast<LPARAM>(ParseSymbol(args.Text(3))) : 0;
    DWORD_PTR result = 0;
    const bool ok =
        SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG,
                            static_cast<UINT>(args.OptionNumber(L"timeout", 5000)), &result);
    JsonLine()
        .Handle("hwnd", hwnd)
        .Int("msg", msg)
        .Bool("replied", ok)
        .Int("result", static_cast<long long>(result))
        .Emit();
    return ok ? kExitOk : kExitFailed;
}

// settext WINDOW TEXT: WM_SETTEXT (as a program would; a user types, see "key").
int CmdSetText(const Args& args) {
    HWND hwnd = args.Window(0);
    const std::wstring text = args.Text(1);
    DWORD_PTR result = 0;
    const bool ok = SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                        SMTO_ABORTIFHUNG, 5000, &result) &&
                    result;
    JsonLine().Handle("hwnd", hwnd).Bool("set", ok).Emit();
    return ok ? kExitOk : kExitFailed;
}

// focus WINDOW: brings the window's top-level window to the front and gives WINDOW the
// keyboard focus, so that the control that had it loses it (WM_KILLFOCUS, EN_KILLFOCUS).
int CmdFocus(const Args& args) {
    HWND hwnd = args.Window(0);
    HWND top = GetAncestor(hwnd, GA_ROOT);
    HWND focus = nullptr;
    {
        AttachedInput attached(hwnd);
        SetForegroundWindow(top);
        SetActiveWindow(top);
        SetFocus(hwnd);
        focus = GetFocus();
    }
    JsonLine().Handle("hwnd", hwnd).Handle("focus", focus).Bool("focused", focus == hwnd).Emit();
    return focus == hwnd ? kExitOk : kExitFailed;
}

// combo-select WINDOW INDEX: selects an entry as the list would (CB_SETCURSEL, then the
// CBN_SELCHANGE notification to the owner).
int CmdComboSelect(const Args& args) {
    HWND hwnd = args.Window(0);
    const WPARAM index = static_cast<WPARAM>(args.Number(1));
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, CB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 5000, &result);
    const bool ok = static_cast<LONG_PTR>(result) == static_cast<LONG_PTR>(index);
    if (ok) {
        SendMessageTimeoutW(GetParent(hwnd), WM_COMMAND,
                            MAKEWPARAM(GetDlgCtrlID(hwnd), CBN_SELCHANGE),
                            reinterpret_cast<LPARAM>(hwnd), SMTO_ABORTIFHUNG, 5000, &result);
    }
    JsonLine().Handle("hwnd", hwnd).Bool("selected", ok).Emit();
    return ok ? kExitOk : kExitFailed;
}

}  // namespace driver
