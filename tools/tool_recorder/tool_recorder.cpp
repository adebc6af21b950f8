// tool_recorder: appends its own command line, as UTF-8 and one line per start, to the file
// "<its own path>.log", and the arguments it was given, as the C runtime splits them, to
// "<its own path>.args" (one line per start, the arguments separated by U+001F), then ends.
// Copied into a folder with blanks, it shows whether a caller quoted the tool's path and the file
// name it passed, and whether that name reached it as one argument.
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(bytes > 0 ? bytes - 1 : 0, '\0');
    if (bytes > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), bytes, nullptr, nullptr);
    return out;
}

// Several captures may start the tool at nearly the same time: retry a shared open.
bool Append(const std::wstring& path, const std::string& line) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(file);
            return true;
        }
        Sleep(20);
    }
    return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 1;
    const std::wstring self_path(self, n);
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::string split;
    for (int i = 1; args && i < count; ++i) split += (i > 1 ? "\x1f" : "") + Utf8(args[i]);
    if (args)
        LocalFree(args);
    const bool logged = Append(self_path + L".log", Utf8(GetCommandLineW()) + "\n");
    return logged && Append(self_path + L".args", split + "\n") ? 0 : 2;
}
