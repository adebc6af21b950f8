#include "platform/process.h"

#include <windows.h>

#include <vector>

#include "base/program_identity.h"
#include "platform/scoped_win.h"
#include "platform/utf16.h"

namespace vellum {

bool StartCommandLine(const std::string& commandLine, int showCommand) {
    std::wstring cmd = Widen(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    const UniqueHandle thread(pi.hThread), process(pi.hProcess);
    return true;
}

std::string ExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size())
            return Narrow(std::wstring(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string ExecutableBaseName() {
    return ExeBaseName(ExecutablePath());
}

std::string SettingsApplicationName() {
    return ApplicationName(ExecutableBaseName());
}

std::optional<std::string> EnvironmentVariable(const std::string& name) {
    const std::wstring wname = Widen(name);
    const DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
    if (n == 0)
        return std::nullopt;
    std::wstring value(n, L'\0');
    const DWORD got = GetEnvironmentVariableW(wname.c_str(), value.data(), n);
    value.resize(got < n ? got : 0);
    return Narrow(value);
}

std::string ExpandEnvironmentReferences(const std::string& text) {
    const std::wstring source = Widen(text);
    std::wstring expanded(source.size() + 1, L'\0');
    for (;;) {
        const DWORD n = ExpandEnvironmentStringsW(source.c_str(), expanded.data(),
                                                  static_cast<DWORD>(expanded.size()));
        if (n == 0)
            return text;
        if (n <= expanded.size()) {
            expanded.resize(n - 1);  // n counts the terminating NUL
            return Narrow(expanded);
        }
        expanded.assign(n, L'\0');
    }
}

}  // namespace vellum
