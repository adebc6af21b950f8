// Reads the tools of another process's tooltip controls: TTM_ENUMTOOLSW with a TTTOOLINFOW and a
// text buffer placed in the target process, then copied back.
#include "driver.h"

#include <commctrl.h>

namespace driver {

namespace {

// Tooltip texts are copied unbounded by the control: leave it plenty of room.
constexpr size_t kTextChars = 32768;

class RemoteBuffer {
  public:
    RemoteBuffer(HANDLE process, size_t size)
        : process_(process),
          address_(
              VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~RemoteBuffer() {
        if (address_)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    void* Address() const { return address_; }
    char* Bytes() const { return static_cast<char*>(address_); }

  private:
    HANDLE process_;
    void* address_;
};

class ProcessHandle {
  public:
    explicit ProcessHandle(DWORD pid)
        : handle_(OpenProcess(
              PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
              FALSE, pid)) {}
    ~ProcessHandle() {
        if (handle_)
            CloseHandle(handle_);
    }
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;
    HANDLE Get() const { return handle_; }

  private:
    HANDLE handle_;
};

bool BelongsTo(HWND tool_window, HWND window) {
    return tool_window == window || IsChild(window, tool_window);
}

// Emits the tools of one tooltip control that belong to WINDOW (or all with a null WINDOW).
bool EmitTools(HWND tooltip, HANDLE process, HWND window) {
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(tooltip, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count)) {
        return false;
    }
    RemoteBuffer remote(process, sizeof(TTTOOLINFOW) + kTextChars * sizeof(wchar_t));
    if (!remote.Address()) {
        PrintError(L"VirtualAllocEx failed: " + std::to_wstring(GetLastError()));
        return false;
    }
    wchar_t* remote_text = reinterpret_cast<wchar_t*>(remote.Bytes() + sizeof(TTTOOLINFOW));
    for (UINT i = 0; i < count; ++i) {
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.lpszText = remote_text;
        const wchar_t empty = L'\0';
        WriteProcessMemory(process, remote_text, &empty, sizeof empty, nullptr);
        if (!WriteProcessMemory(process, remote.Address(), &info, sizeof info, nullptr)) {
            return false;
        }
        DWORD_PTR ok = 0;
        SendMessageTimeoutW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote.Address()),
                            SMTO_ABORTIFHUNG, 2000, &ok);
        if (!ok)
            continue;
        if (!ReadProcessMemory(process, remote.Address(), &info, sizeof info, nullptr)) {
            return false;
        }
        HWND subject = (info.uFlags & TTF_IDISHWND) ? reinterpret_cast<HWND>(info.uId) : info.hwnd;
        if (window && !BelongsTo(subject, window))
            continue;
        JsonLine line;
        line.Handle("tooltip", tooltip)
            .Int("index", i)
            .Handle("hwnd", info.hwnd)
            .Int("uid", static_cast<long long>(info.uId))
            .Int("flags", info.uFlags)
            .Handle("control", subject)
            .Int("id", subject ? GetDlgCtrlID(subject) : 0)
            .Rect("rect", info.rect);
        if (info.lpszText == LPSTR_TEXTCALLBACKW) {
            line.Bool("callback", true);
        } else if (info.lpszText == nullptr) {
            line.Str("text", L"");
        } else if (IS_INTRESOURCE(info.lpszText)) {
            line.Int("resource", reinterpret_cast<INT_PTR>(info.lpszText));
        } else {
            std::wstring text(kTextChars, L'\0');
            SIZE_T read = 0;
            ReadProcessMemory(process, remote_text, text.data(), kTextChars * sizeof(wchar_t),
                              &read);
            text.resize(wcsnlen(text.c_str(), read / sizeof(wchar_t)));
            line.Str("text", text);
        }
        line.Emit();
    }
    return true;
}

}  // namespace

// tooltips WINDOW [--all]: one line per tool of the tooltip controls of WINDOW's process whose
// tool window is WINDOW or one of its controls (--all: every tool). "id" is the control ID of
// the tool's window, "text" its tooltip text.
int CmdTooltips(const Args& args) {
    HWND window = args.Window(0);
    const DWORD pid = ProcessOf(window);
    ProcessHandle process(pid);
    if (!process.Get()) {
        PrintError(L"OpenProcess failed: " + std::to_wstring(GetLastError()));
        return kExitFailed;
    }
    WindowFilter filter;
    filter.class_name = TOOLTIPS_CLASSW;
    filter.pid = pid;
    bool ok = true;
    for (HWND tooltip : FindTopLevel(filter)) {
        ok = EmitTools(tooltip, process.Get(), args.Has(L"all") ? nullptr : window) && ok;
    }
    return ok ? kExitOk : kExitFailed;
}

}  // namespace driver
