// Message boxes ("#32770" dialogs) of the program under test: read them and press a button.
#include "driver.h"

namespace driver {

namespace {

// The static control that holds a message box's text has this ID on Windows and under Wine.
constexpr int kMessageTextId = 0xFFFF;

struct MessageBoxView {
    HWND hwnd = nullptr;
    std::wstring text;
    std::vector<HWND> buttons;
};

MessageBoxView Read(HWND box) {
    MessageBoxView view;
    view.hwnd = box;
    std::wstring statics;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring cls = ClassNameOf(child);
        if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
            if (IsWindowVisible(child))
                view.buttons.push_back(child);
        } else if (lstrcmpiW(cls.c_str(), L"Static") == 0) {
            const std::wstring text = WindowTextOf(child);
            if (GetDlgCtrlID(child) == kMessageTextId) {
                view.text = text;
            } else if (!text.empty()) {
                statics += (statics.empty() ? L"" : L"\n") + text;
            }
        }
    }
    if (view.text.empty())
        view.text = statics;
    return view;
}

void Emit(const MessageBoxView& view) {
    std::string buttons = "[";
    for (size_t i = 0; i < view.buttons.size(); ++i) {
        if (i)
            buttons += ",";
        JsonLine b;
        b.Handle("hwnd", view.buttons[i])
            .Int("id", GetDlgCtrlID(view.buttons[i]))
            .Str("text", WindowTextOf(view.buttons[i]));
        buttons += b.Text();
    }
    buttons += "]";
    JsonLine line = DescribeWindow(view.hwnd);
    line.Str("text", view.text).Raw("buttons", buttons).Emit();
}

// Waits for visible message boxes that match the filter (class "#32770").
std::vector<HWND> WaitForBoxes(const Args& args) {
    WindowFilter filter = WindowFilter::FromArgs(args);
    filter.class_name = L"#32770";
    filter.visible_only = true;
    const DWORD timeout = static_cast<DWORD>(args.OptionNumber(L"timeout", 5000));
    const DWORD start = GetTickCount();
    for (;;) {
        auto found = FindTopLevel(filter);
        if (!found.empty() || GetTickCount() - start >= timeout)
            return found;
        Sleep(20);
    }
}

std::wstring WithoutAccelerator(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c != L'&')
            out += c;
    }
    return out;
}

}  // namespace

// msgbox [--pid=N] [--caption=T] [--timeout=MS]: every visible message box that matches, with
// its caption, text and buttons. Exit 1 when none appears within the time-out (default
// 5000 ms; 0 looks once).
int CmdMsgBox(const Args& args) {
    const auto boxes = WaitForBoxes(args);
    for (HWND box : boxes) Emit(Read(box));
    if (boxes.empty())
        JsonLine().Str("error", L"no message box").Emit();
    return boxes.empty() ? kExitFailed : kExitOk;
}

// msgbox-press BUTTON [--pid=N] [--caption=T] [--timeout=MS] [--bm-click]: presses the button
// whose text (without "&") or numeric ID is BUTTON in the first matching message box, with a
// mouse click at its centre (or with BM_CLICK).
int CmdMsgBoxPress(const Args& args) {
    const std::wstring which = args.Text(0);
    const auto boxes = WaitForBoxes(args);
    if (boxes.empty()) {
        JsonLine().Str("error", L"no message box").Emit();
        return kExitFailed;
    }
    const MessageBoxView view = Read(boxes.front());
    for (HWND button : view.buttons) {
        const std::wstring text = WithoutAccelerator(WindowTextOf(button));
        const bool by_id = std::to_wstring(GetDlgCtrlID(button)) == which;
        if (text != which && !by_id)
            continue;
        bool ok = true;
        if (args.Has(L"bm-click")) {
            ok = PostMessageW(button, BM_CLICK, 0, 0);
        } else {
            ok = MouseClickAt(CentreOf(button), false, false);
        }
        JsonLine()
            .Handle("box", view.hwnd)
            .Handle("button", button)
            .Str("text", text)
            .Bool("pressed", ok)
            .Emit();
        return ok ? kExitOk : kExitFailed;
    }
    Emit(view);
    PrintError(L"no button " + which + L" in the message box");
    return kExitFailed;
}

}  // namespace driver
