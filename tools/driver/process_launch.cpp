// Starting the program under test with a chosen command line, folder and environment, and
// ending it.
#include "driver.h"

#include <algorithm>

namespace driver {

namespace {

// The name of an environment entry "NAME=VALUE"; entries like "=C:=C:\" keep their leading "=".
std::wstring EntryName(const std::wstring& entry) {
    const size_t eq = entry.find(L'=', 1);
    return entry.substr(0, eq);
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The driver's environment with the changes of the --env=NAME=VALUE and --unset=NAME options
// (names compared without case, as Windows does), as a block for CreateProcessW.
std::wstring EnvironmentBlock(const std::vector<std::wstring>& set,
                              const std::vector<std::wstring>& unset) {
    std::vector<std::wstring> entries;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* p = strings; *p; p += wcslen(p) + 1) entries.emplace_back(p);
    FreeEnvironmentStringsW(strings);
    std::vector<std::wstring> removed = unset;
    for (const auto& entry : set) removed.push_back(EntryName(entry));
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const std::wstring& entry) {
                                     for (const auto& name : removed) {
                                         if (SameName(EntryName(entry), name))
                                             return true;
                                     }
                                     return false;
                                 }),
                  entries.end());
    entries.insert(entries.end(), set.begin(), set.end());
    std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    });
    std::wstring block;
    for (const auto& entry : entries) block += entry + L'\0';
    block += L'\0';
    return block;
}

}  // namespace

// run EXE [--cmdline=TEXT] [--cwd=DIR] [--env=NAME=VALUE]... [--unset=NAME]...: starts EXE with
// the command line "EXE" TEXT (quoted EXE, a blank, TEXT; just the quoted EXE without
// --cmdline), prints {"pid":..} at once, waits for the program to end and prints {"exit":..}.
// The program is tied to the driver: when the driver is killed, the program ends too.
// Wine takes the WINE* variables (WINEDLLOVERRIDES...) of a new process from the Unix
// environment: set those in the driver's own environment, not with --env.
int CmdRun(const Args& args) {
    const std::wstring exe = args.Text(0);
    std::wstring cmdline = L"\"" + exe + L"\"";
    if (args.Has(L"cmdline"))
        cmdline += L" " + args.Option(L"cmdline");
    const std::wstring cwd = args.Option(L"cwd");
    const std::wstring env = EnvironmentBlock(args.OptionList(L"env"), args.OptionList(L"unset"));

    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job) {
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring mutable_cmdline = cmdline;
    if (!CreateProcessW(exe.c_str(), mutable_cmdline.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED,
                        const_cast<wchar_t*>(env.c_str()), cwd.empty() ? nullptr : cwd.c_str(), &si,
                        &pi)) {
        JsonLine().Str("error", L"CreateProcess failed").Int("code", GetLastError()).Emit();
        if (job)
            CloseHandle(job);
        return kExitFailed;
    }
    const bool in_job = job && AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    JsonLine().Int("pid", pi.dwProcessId).Str("cmdline", cmdline).Bool("in_job", in_job).Emit();
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    JsonLine().Int("exit", code).Emit();
    if (job)
        CloseHandle(job);
    return kExitOk;
}

// kill PID: ends the process at once (TerminateProcess) and waits until it is gone.
int CmdKill(const Args& args) {
    const DWORD pid = static_cast<DWORD>(args.Number(0));
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) {
        JsonLine().Int("pid", pid).Bool("killed", false).Emit();
        return kExitFailed;
    }
    const bool ok =
        TerminateProcess(process, 1) && WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
    CloseHandle(process);
    JsonLine().Int("pid", pid).Bool("killed", ok).Emit();
    return ok ? kExitOk : kExitFailed;
}

// hold: stays attached to Wine's desktop until killed, so that its desktop process
// (explorer.exe /desktop) does not end between two test programs and get started again by
// the next one, which would hand it that program's standard handles: a caller reading the
// program's output through a pipe would then wait for an end of file that never comes.
int CmdHold(const Args&) {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"vellum hold", WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    JsonLine().Handle("hwnd", hwnd).Handle("desktop", GetDesktopWindow()).Emit();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return kExitOk;
}

// lock-file: holds a file open without sharing, as a backup or virus scanner may at logon, for
// the given time (or until killed); the line is written once the file is held.
int CmdLockFile(const Args& args) {
    const std::wstring path = args.Text(0);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        JsonLine().Str("path", path).Bool("locked", false).Int("error", GetLastError()).Emit();
        return kExitFailed;
    }
    JsonLine().Str("path", path).Bool("locked", true).Emit();
    Sleep(static_cast<DWORD>(args.OptionNumber(L"ms", 10000)));
    CloseHandle(file);
    JsonLine().Str("path", path).Bool("locked", false).Emit();
    return kExitOk;
}

}  // namespace driver
