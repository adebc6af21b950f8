#include "about/about_box.h"

#include <shellapi.h>

#include "about/about_design.h"
#include "about/version_info.h"
#include "base/command_lines.h"
#include "platform/process.h"
#include "platform/utf16.h"

namespace vellum {

namespace {

constexpr wchar_t kClassName[] = L"VellumAbout";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

// The window's large icon, else its small one, else its class's.
HICON IconOf(HWND window) {
    if (!window)
        return nullptr;
    for (WPARAM type : {ICON_BIG, ICON_SMALL2}) {
        DWORD_PTR icon = 0;
        if (SendMessageTimeoutW(window, WM_GETICON, type, 0, SMTO_ABORTIFHUNG, 500, &icon) && icon)
            return reinterpret_cast<HICON>(icon);
    }
    if (ULONG_PTR icon = GetClassLongPtrW(window, GCLP_HICON))
        return reinterpret_cast<HICON>(icon);
    return reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
}

bool IsEscapePress(const MSG& msg, HWND box) {
    return msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE &&
           (msg.hwnd == box || IsChild(box, msg.hwnd));
}

}  // namespace

AboutBoxActions AboutBoxActions::Platform() {
    AboutBoxActions a;
    a.beep = [] { MessageBeep(MB_OK); };
    a.startCommand = [](const std::string& commandLine, int showCommand) {
        StartCommandLine(commandLine, showCommand);
    };
    a.systemAbout = [](HWND owner, const std::string& application, const std::string& extra,
                       HICON icon) {
        ShellAboutW(owner, Widen(application).c_str(), Widen(extra).c_str(), icon);
    };
    return a;
}

AboutBox::AboutBox(AboutBoxActions actions)
    : ui::Form(AboutFormDesign()),
      actions_(std::move(actions)),
      exeBaseName_(ExecutableBaseName()) {
    AttachHandlers();
}

AboutBox::~AboutBox() {
    if (IsOpen())
        Close();
}

bool AboutBox::Create(HWND owner) {
    owner_ = owner;
    if (!CreateForm(kClassName, kStyle, owner))
        return false;
    Load();
    return true;
}

void AboutBox::Load() {
    // Each step stands on its own: one that fails leaves its control as designed.
    if (actions_.beep)
        actions_.beep();
    SetWindowTextW(hwnd(), Widen(AboutCaption(exeBaseName_)).c_str());
    // The window active when the box opens is its owner, the main window.
    Get(about_ctl::kImg).SetIcon(IconOf(owner_ ? owner_ : GetActiveWindow()));
    if (const std::optional<VersionInfo> version = ReadVersionInfo(ExecutablePath())) {
        Get(about_ctl::kLabel1).SetText(version->productName);
        Get(about_ctl::kLabel2)
            .SetText(VersionText(version->major, version->minor, version->revision));
        Get(about_ctl::kText2).SetText(ExpandLineBreaks(version->fileDescription));
    }
    Get(about_ctl::kLabel9).SetText(kHomePage);
    Get(about_ctl::kText1).SelectAllText();
}

void AboutBox::ShowModal() {
    if (!IsOpen())
        return;
    if (owner_ && IsWindowEnabled(owner_)) {
        EnableWindow(owner_, FALSE);
        ownerDisabled_ = true;
    }
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(hwnd());
    if (HWND first = GetNextDlgTabItem(hwnd(), nullptr, FALSE))
        SetFocus(first);

    MSG msg;
    while (IsOpen()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            Close();
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0)
            break;
        // Esc closes the box when it is released; its press must not reach the text boxes (a
        // multi-line one in a dialog would close its parent on the press).
        if (IsEscapePress(msg, hwnd()))
            continue;
        if (IsDialogMessageW(hwnd(), &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (IsOpen())
        Close();
}

void AboutBox::EnableOwner() {
    if (ownerDisabled_) {
        ownerDisabled_ = false;
        if (IsWindow(owner_))
            EnableWindow(owner_, TRUE);
    }
}

void AboutBox::Close() {
    EnableOwner();
    if (IsOpen())
        DestroyWindow(hwnd());
}

LRESULT AboutBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CLOSE:
            Close();
            return 0;
        case WM_KEYUP:
            if (wp == VK_ESCAPE) {
                Close();
                return 0;
            }
            break;
        case WM_DESTROY:
            // Destroyed along with its owner, or by anyone else: the owner takes input again.
            EnableOwner();
            break;
        default:
            break;
    }
    return Form::HandleMessage(msg, wp, lp);
}

void AboutBox::AttachHandlers() {
    using ui::ControlEvent;
    Get(about_ctl::kCommand1).On(ControlEvent::Click, [this](ui::Control&, LPARAM) {
        if (actions_.systemAbout)
            actions_.systemAbout(hwnd(), exeBaseName_, kMakerName, Get(about_ctl::kImg).Icon());
    });
    Get(about_ctl::kLabel9).On(ControlEvent::Click, [this](ui::Control& label, LPARAM) {
        if (actions_.startCommand)
            actions_.startCommand(ExplorerCommandLine(label.Text()), SW_SHOWMINIMIZED);
    });
    // The postal address is no page to open: its click leads to the home page too.
    Get(about_ctl::kLabel7).On(ControlEvent::Click, [this](ui::Control&, LPARAM) {
        if (actions_.startCommand)
            actions_.startCommand(ExplorerCommandLine(kHomePage), SW_SHOWMINIMIZED);
    });
    Get(about_ctl::kText1).On(ControlEvent::DoubleClick, [](ui::Control& text, LPARAM) {
        text.SelectAllText();
    });
}

void AboutBox::OnControlEvent(ui::Control&, ui::ControlEvent event, LPARAM param) {
    // Esc closes the box from whichever control has the focus.
    if (event == ui::ControlEvent::KeyUp && param == VK_ESCAPE)
        Close();
}

void ShowAboutBox(HWND owner, AboutBoxActions actions) {
    AboutBox box(std::move(actions));
    if (box.Create(owner))
        box.ShowModal();
}

}  // namespace vellum
