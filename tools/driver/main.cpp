// vellum_driver: a console program run beside Vellum under Wine by the end-to-end tests.
// It finds and reads windows from outside and plays the user's input. See "usage" below.
#include "driver.h"

namespace {

struct Command {
    const wchar_t* name;
    int (*run)(const driver::Args&);
    const char* usage;
};

constexpr Command kCommands[] = {
    {L"find", driver::CmdFind, "find [--caption=T] [--class=C] [--pid=N] [--visible]"},
    {L"wait", driver::CmdWait,
     "wait [--caption=T] [--class=C] [--pid=N] [--visible] [--gone|--hidden] [--timeout=MS]"},
    {L"info", driver::CmdInfo, "info WINDOW"},
    {L"children", driver::CmdChildren, "children WINDOW"},
    {L"guiinfo", driver::CmdGuiInfo, "guiinfo WINDOW"},
    {L"env", driver::CmdEnv, "env NAME"},
    {L"tooltips", driver::CmdTooltips, "tooltips WINDOW [--all]"},
    {L"click", driver::CmdClick, "click WINDOW [--double] [--right] [--at=X,Y]"},
    {L"mouse", driver::CmdMouse, "mouse move|down|up|rdown|rup|click X Y [X Y ...] [--step-ms=N]"},
    {L"key", driver::CmdKey, "key CHORD [CHORD ...] [--down|--up] [--hold-ms=N]"},
    {L"post", driver::CmdPost, "post WINDOW MSG [WPARAM [LPARAM]]"},
    {L"send", driver::CmdSend, "send WINDOW MSG [WPARAM [LPARAM]] [--timeout=MS]"},
    {L"settext", driver::CmdSetText, "settext WINDOW TEXT"},
    {L"focus", driver::CmdFocus, "focus WINDOW"},
    {L"combo-select", driver::CmdComboSelect, "combo-select WINDOW INDEX"},
    {L"msgbox", driver::CmdMsgBox, "msgbox [--pid=N] [--caption=T] [--timeout=MS]"},
    {L"msgbox-press", driver::CmdMsgBoxPress,
     "msgbox-press BUTTON [--pid=N] [--caption=T] [--timeout=MS] [--bm-click]"},
    {L"dialog", driver::CmdDialog, "dialog [--pid=N] [--caption=T] [--timeout=MS]"},
    {L"dialog-press", driver::CmdDialogPress,
     "dialog-press BUTTON [--pid=N] [--caption=T] [--timeout=MS] [--bm-click]"},
    {L"filedlg-name", driver::CmdFileDialogName,
     "filedlg-name TEXT [--pid=N] [--caption=T] [--timeout=MS] [--ok|--cancel]"},
    {L"folderdlg-select", driver::CmdFolderDialogSelect,
     "folderdlg-select PATH [--pid=N] [--caption=T] [--timeout=MS] [--ok|--cancel]"},
    {L"colordlg-rgb", driver::CmdColorDialogRgb,
     "colordlg-rgb RED GREEN BLUE [--pid=N] [--caption=T] [--timeout=MS] [--ok|--cancel]"},
    {L"run", driver::CmdRun,
     "run EXE [--cmdline=TEXT] [--cwd=DIR] [--env=NAME=VALUE]... [--unset=NAME]..."},
    {L"kill", driver::CmdKill, "kill PID"},
    {L"answers", driver::CmdAnswers, "answers WINDOW [--ms=N] [--every=MS] (WM_NULL round trips)"},
    {L"gdiplus-read", driver::CmdGdiplusRead, "gdiplus-read FILE OUT.bmp (GDI+ decodes FILE)"},
    {L"lock-file", driver::CmdLockFile, "lock-file PATH [--ms=N] (holds it open without sharing)"},
    {L"hold", driver::CmdHold, "hold (keeps Wine's desktop process alive until killed)"},
    {L"paint", driver::CmdPaint, "paint LEFT TOP WIDTH HEIGHT [--color=RRGGBB] [--no-topmost]"},
};

void PrintUsage() {
    std::string text =
        "usage: vellum_driver COMMAND ...\n"
        "WINDOW is a handle (decimal or 0x hex), HANDLE/ID for a control of that window, or\n"
        "\"desktop\".\n"
        "Text may be written hex:<UTF-8 bytes in hex>. Output: UTF-8 JSON lines.\n";
    for (const auto& c : kCommands) text += std::string("  ") + c.usage + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        PrintUsage();
        return driver::kExitUsage;
    }
    for (const auto& c : kCommands) {
        if (lstrcmpW(argv[1], c.name) != 0)
            continue;
        try {
            return c.run(driver::Args(argc, argv, 2));
        } catch (const driver::UsageError& e) {
            driver::PrintError(e.message);
            return driver::kExitUsage;
        }
    }
    driver::PrintError(std::wstring(L"unknown command ") + argv[1]);
    PrintUsage();
    return driver::kExitUsage;
}
