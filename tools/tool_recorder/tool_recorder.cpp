// tool_recorder: appends its own command line, as UTF-8 and one line per start, to the file
// "<its own path>.log", then ends. Copied into a folder with blanks, it shows whether a caller
// quoted the tool's path and the file name it passed.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 1;
    const std::wstring log = std::wstring(self, n) + L".log";
    const wchar_t* commandLine = GetCommandLineW();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, nullptr, 0, nullptr, nullptr);
    std::string line(bytes > 0 ? bytes - 1 : 0, '\0');
    if (bytes > 1)
        WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, line.data(), bytes, nullptr, nullptr);
    line += "\n";
    // Several captures may start the tool at nearly the same time: retry a shared open.
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(file);
            return 0;
        }
        Sleep(20);
    }
    return 2;
}
