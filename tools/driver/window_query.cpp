// Reading windows from outside: top-level windows, their controls, focus and waiting.
#include "driver.h"

namespace driver {

namespace {

constexpr UINT kReplyTimeoutMs = 2000;

std::wstring ClassOrEmpty(HWND hwnd) {
    return hwnd ? ClassNameOf(hwnd) : L"";
}

bool ClassIs(HWND hwnd, const wchar_t* name) {
    return lstrcmpiW(ClassNameOf(hwnd).c_str(), name) == 0;
}

RECT ClientRectOnScreen(HWND hwnd) {
    RECT rc{};
    GetClientRect(hwnd, &rc);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// The combo box's list, read with CB_GETLBTEXT (the system marshals it between processes).
void AddComboItems(HWND hwnd, JsonLine& line) {
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(hwnd, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &count)) {
        return;
    }
    std::vector<std::wstring> items;
    for (int i = 0; i < static_cast<int>(count); ++i) {
        DWORD_PTR len = 0;
        SendMessageTimeoutW(hwnd, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &len);
        if (static_cast<LONG_PTR>(len) < 0)
            len = 0;
        std::wstring text(len + 1, L'\0');
        DWORD_PTR copied = 0;
        SendMessageTimeoutW(hwnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()),
                            SMTO_ABORTIFHUNG, kReplyTimeoutMs, &copied);
        if (static_cast<LONG_PTR>(copied) < 0)
            copied = 0;
        text.resize(copied);
        items.push_back(text);
    }
    DWORD_PTR selection = 0;
    SendMessageTimeoutW(hwnd, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &selection);
    line.StrList("items", items).Int("cursel", static_cast<int>(static_cast<LONG_PTR>(selection)));
}

// The control's font, when the platform lets another process read the font object.
void AddFont(HWND hwnd, JsonLine& line) {
    DWORD_PTR font = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETFONT, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &font)) {
        return;
    }
    line.Handle("font", reinterpret_cast<void*>(font));
    LOGFONTW lf{};
    if (font && GetObjectW(reinterpret_cast<HFONT>(font), sizeof lf, &lf) == sizeof lf) {
        line.Str("font_face", lf.lfFaceName).Int("font_height", lf.lfHeight);
    }
}

}  // namespace

std::wstring ClassNameOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

std::wstring WindowTextOf(HWND hwnd) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs,
                             &len)) {
        // A hung window: the caption the system keeps for it.
        wchar_t buf[1024] = {};
        InternalGetWindowText(hwnd, buf, 1024);
        return buf;
    }
    std::wstring text(len + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, kReplyTimeoutMs, &copied);
    text.resize(copied <= len ? copied : len);
    return text;
}

DWORD ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

JsonLine DescribeWindow(HWND hwnd) {
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    const LONG exstyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
    DWORD pid = 0;
    const DWORD tid = GetWindowThreadProcessId(hwnd, &pid);
    JsonLine line;
    line.Handle("hwnd", hwnd)
        .Str("class", ClassNameOf(hwnd))
        .Str("caption", WindowTextOf(hwnd))
        .Bool("visible", IsWindowVisible(hwnd))
        .Bool("iconic", IsIconic(hwnd))
        .Bool("enabled", IsWindowEnabled(hwnd))
        .Rect("rect", rc)
        .Rect("client", ClientRectOnScreen(hwnd))
        .Handle("owner", GetWindow(hwnd, GW_OWNER))
        .Handle("parent", GetAncestor(hwnd, GA_PARENT))
        .Int("pid", pid)
        .Int("tid", tid)
        .Int("style", static_cast<DWORD>(style))
        .Int("exstyle", static_cast<DWORD>(exstyle))
        .Bool("topmost", (exstyle & WS_EX_TOPMOST) != 0)
        .Bool("foreground", GetForegroundWindow() == hwnd);
    return line;
}

JsonLine DescribeControl(HWND hwnd, int z_order) {
    HWND parent = GetAncestor(hwnd, GA_PARENT);
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    RECT rel = rc;
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rel), 2);
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    const LONG exstyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
    JsonLine line;
    line.Handle("hwnd", hwnd)
        .Int("id", GetDlgCtrlID(hwnd))
        .Str("class", ClassNameOf(hwnd))
        .Str("text", WindowTextOf(hwnd))
        .Int("style", static_cast<DWORD>(style))
        .Int("exstyle", static_cast<DWORD>(exstyle))
        .Rect("rect", rc)
        .Rect("rel", rel)
        .Bool("visible", IsWindowVisible(hwnd))
        .Bool("shown", (style & WS_VISIBLE) != 0)
        .Bool("enabled", IsWindowEnabled(hwnd))
        .Handle("parent", parent)
        .Int("z", z_order);
    if (ClassIs(hwnd, L"Button")) {
        DWORD_PTR check = 0;
        SendMessageTimeoutW(hwnd, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &check);
        line.Int("check", static_cast<int>(check)).Int("button_type", style & BS_TYPEMASK);
    } else if (ClassIs(hwnd, L"ComboBox")) {
        AddComboItems(hwnd, line);
    }
    AddFont(hwnd, line);
    return line;
}

WindowFilter WindowFilter::FromArgs(const Args& args) {
    WindowFilter f;
    f.has_caption = args.Has(L"caption");
    f.caption = args.Option(L"caption");
    f.class_name = args.Option(L"class");
    f.pid = static_cast<DWORD>(args.OptionNumber(L"pid", 0));
    f.visible_only = args.Has(L"visible");
    return f;
}

bool WindowFilter::Matches(HWND hwnd) const {
    if (visible_only && !IsWindowVisible(hwnd))
        return false;
    if (pid && ProcessOf(hwnd) != pid)
        return false;
    if (!class_name.empty() && !ClassIs(hwnd, class_name.c_str()))
        return false;
    if (has_caption && WindowTextOf(hwnd) != caption)
        return false;
    return true;
}

std::vector<HWND> FindTopLevel(const WindowFilter& filter) {
    struct Search {
        const WindowFilter* filter;
        std::vector<HWND> found;
    } search{&filter, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (s->filter->Matches(hwnd))
                s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// find [--caption=T] [--class=C] [--pid=N] [--visible]: one line per matching top-level window.
int CmdFind(const Args& args) {
    const auto found = FindTopLevel(WindowFilter::FromArgs(args));
    for (HWND hwnd : found) DescribeWindow(hwnd).Emit();
    return found.empty() ? kExitFailed : kExitOk;
}

// wait [filters] [--timeout=MS] [--gone | --hidden]: waits until a matching window exists
// (and is visible with --visible), until none exists (--gone), or until the matches are all
// hidden (--hidden). Prints the windows found, or an error line on time-out.
int CmdWait(const Args& args) {
    const WindowFilter filter = WindowFilter::FromArgs(args);
    const DWORD timeout = static_cast<DWORD>(args.OptionNumber(L"timeout", 10000));
    const bool gone = args.Has(L"gone");
    const bool hidden = args.Has(L"hidden");
    const DWORD start = GetTickCount();
    for (;;) {
        auto found = FindTopLevel(filter);
        bool done = false;
        if (gone) {
            done = found.empty();
        } else if (hidden) {
            done = !found.empty();
            for (HWND hwnd : found) done = done && !IsWindowVisible(hwnd);
        } else {
            done = !found.empty();
        }
        if (done) {
            for (HWND hwnd : found) DescribeWindow(hwnd).Emit();
            return kExitOk;
        }
        if (GetTickCount() - start >= timeout)
            break;
        Sleep(20);
    }
    JsonLine().Str("error", L"timeout").Int("timeout_ms", timeout).Emit();
    return kExitFailed;
}

// info WINDOW: the window's description (top-level or control).
int CmdInfo(const Args& args) {
    HWND hwnd = args.Window(0);
    if (hwnd == GetDesktopWindow() || GetAncestor(hwnd, GA_PARENT) == GetDesktopWindow()) {
        DescribeWindow(hwnd).Emit();
    } else {
        DescribeControl(hwnd, -1).Emit();
    }
    return kExitOk;
}

// children WINDOW: every descendant control, depth first. "z" is the position among its
// siblings from the top of the z-order (GW_CHILD, then GW_HWNDNEXT): the tab order of a
// dialog-like window.
int CmdChildren(const Args& args) {
    struct Walker {
        static void Walk(HWND parent) {
            int z = 0;
            for (HWND child = GetWindow(parent, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                DescribeControl(child, z++).Emit();
                Walk(child);
            }
        }
    };
    Walker::Walk(args.Window(0));
    return kExitOk;
}

// guiinfo WINDOW: the active, focused and capturing windows of the window's thread.
int CmdGuiInfo(const Args& args) {
    HWND hwnd = args.Window(0);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info)) {
        PrintError(L"GetGUIThreadInfo failed");
        return kExitFailed;
    }
    JsonLine()
        .Handle("active", info.hwndActive)
        .Handle("focus", info.hwndFocus)
        .Int("focus_id", info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0)
        .Str("focus_class", ClassOrEmpty(info.hwndFocus))
        .Handle("capture", info.hwndCapture)
        .Handle("foreground", GetForegroundWindow())
        .Emit();
    return kExitOk;
}

// env NAME: the variable as a Windows process started like the driver sees it.
int CmdEnv(const Args& args) {
    const std::wstring name = args.Text(0);
    const DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    JsonLine line;
    line.Str("name", name);
    if (size == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        line.Bool("set", false);
    } else {
        std::wstring value(size, L'\0');
        const DWORD len = GetEnvironmentVariableW(name.c_str(), value.data(), size);
        value.resize(len);
        line.Bool("set", true).Str("value", value);
    }
    line.Emit();
    return kExitOk;
}

}  // namespace driver
