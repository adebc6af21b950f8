// dialog_probe: the Windows side of the common-dialog end-to-end tests. It calls the program's
// dialog functions with the arguments of its command line, one call after another in the same
// process (so that what the dialogs remember carries from one call to the next), and prints
// one UTF-8 JSON line for each; the tests meanwhile operate the dialogs through vellum_driver.
//
//   dialog_probe [PRESET...] CALL [CALL...]
//
// Presets (before the first call):
//   --last-file=T --last-folder=T --last-color=N   set the remembered file, folder and colour
//   --cwd=DIR                                      the current directory
//   --window                                       show a window of the probe's own and make it
//                                                  the active and foreground window
// Calls, each followed by its own options:
//   --call=file   [--mode=N] [--filter=T] [--title=T] [--ext=T] [--buffer=N]
//   --call=folder [--initial=T] [--title=T] [--files] [--owner]
//   --call=color  [--owner]
// --owner passes the probe's window as the dialog's owner (else none is given).
// Text may be written hex:<UTF-8 bytes in hex>.
//
// Output: first {"pid":N,"window":HWND}, then per call {"call":..., results..., "last_file",
// "last_folder", "last_color"}, each printed before the next call starts. Exit 0, or 2 on a
// bad command line.
#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/common_dialogs.h"
#include "platform/utf16.h"
#include "tool_text.h"

using namespace vellum;

namespace {

struct Option {
    std::wstring name;
    std::wstring value;
    bool hasValue = false;
};

// Plain text, or "hex:" and the hex digits of UTF-8 bytes. Returns false on bad hex.
bool DecodeText(const std::wstring& arg, std::string& out) {
    const std::optional<std::string> text = tools::DecodeTextArgument(arg);
    out = text.value_or(std::string());
    return text.has_value();
}

std::string JsonList(const std::string& nulSeparated) {
    std::string out = "[";
    size_t start = 0;
    bool first = true;
    while (!nulSeparated.empty()) {
        const size_t nul = nulSeparated.find('\0', start);
        out += (first ? "" : ",") + tools::JsonQuote(nulSeparated.substr(start, nul - start));
        first = false;
        if (nul == std::string::npos)
            break;
        start = nul + 1;
    }
    return out + "]";
}

void Emit(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

std::string Handle(const void* h) {
    return std::to_string(static_cast<long long>(reinterpret_cast<INT_PTR>(h)));
}

std::string Memory() {
    return "\"last_file\":" + tools::JsonQuote(LastDialogFile()) +
           ",\"last_folder\":" + tools::JsonQuote(LastDialogFolder()) +
           ",\"last_color\":" + std::to_string(LastPickedColor());
}

HWND ShowProbeWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"VellumDialogProbe";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"dialog probe", WS_OVERLAPPEDWINDOW, 40, 40,
                                320, 200, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return hwnd;
}

int Usage(const std::wstring& why) {
    std::fwprintf(stderr, L"dialog_probe: %ls\n", why.c_str());
    std::fputs(
        "usage: dialog_probe [--last-file=T] [--last-folder=T] [--last-color=N] [--cwd=DIR]\n"
        "         [--window] CALL [CALL...]\n"
        "  --call=file [--mode=N] [--filter=T] [--title=T] [--ext=T] [--buffer=N]\n"
        "  --call=folder [--initial=T] [--title=T] [--files] [--owner]\n"
        "  --call=color [--owner]\n",
        stderr);
    return 2;
}

struct Call {
    std::wstring kind;
    std::vector<Option> options;
    const Option* Find(const wchar_t* name) const {
        for (const auto& o : options) {
            if (o.name == name)
                return &o;
        }
        return nullptr;
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<Option> presets;
    std::vector<Call> calls;
    for (int i = 1; i < argc; ++i) {
        const std::wstring word = argv[i];
        if (word.compare(0, 2, L"--") != 0)
            return Usage(L"not an option: " + word);
        Option option;
        const size_t eq = word.find(L'=');
        option.name = word.substr(2, eq == std::wstring::npos ? std::wstring::npos : eq - 2);
        if (eq != std::wstring::npos) {
            option.value = word.substr(eq + 1);
            option.hasValue = true;
        }
        if (option.name == L"call") {
            if (option.value != L"file" && option.value != L"folder" && option.value != L"color")
                return Usage(L"unknown call " + option.value);
            calls.push_back(Call{option.value, {}});
        } else if (calls.empty()) {
            presets.push_back(option);
        } else {
            calls.back().options.push_back(option);
        }
    }
    if (calls.empty())
        return Usage(L"no call");

    HWND window = nullptr;
    for (const Option& o : presets) {
        std::string text;
        if (!DecodeText(o.value, text))
            return Usage(L"bad text " + o.value);
        if (o.name == L"last-file") {
            SetLastDialogFile(text);
        } else if (o.name == L"last-folder") {
            SetLastDialogFolder(text);
        } else if (o.name == L"last-color") {
            SetLastPickedColor(static_cast<uint32_t>(std::wcstoul(o.value.c_str(), nullptr, 0)));
        } else if (o.name == L"cwd") {
            SetCurrentDirectoryW(Widen(text).c_str());
        } else if (o.name == L"window") {
            window = ShowProbeWindow();
        } else {
            return Usage(L"unknown preset --" + o.name);
        }
    }
    Emit("{\"pid\":" + std::to_string(GetCurrentProcessId()) + ",\"window\":" + Handle(window) +
         "," + Memory() + "}");

    for (const Call& call : calls) {
        auto text = [&call](const wchar_t* name, std::string& out) {
            const Option* o = call.Find(name);
            out.clear();
            return !o || DecodeText(o->value, out);
        };
        HWND owner = call.Find(L"owner") ? window : nullptr;
        std::string line;
        if (call.kind == L"file") {
            std::string filter, title, ext;
            if (!text(L"filter", filter) || !text(L"title", title) || !text(L"ext", ext))
                return Usage(L"bad text in a file call");
            const Option* mode = call.Find(L"mode");
            const Option* buffer = call.Find(L"buffer");
            const int m = mode ? _wtoi(mode->value.c_str()) : 0;
            const size_t length = buffer ? static_cast<size_t>(_wtoi(buffer->value.c_str()))
                                         : kFileDialogBufferLength;
            const std::string result = ShowFileDialog(m, filter, title, ext, length);
            line = "{\"call\":\"file\",\"mode\":" + std::to_string(m) +
                   ",\"result\":" + tools::JsonQuote(result) + ",\"paths\":" + JsonList(result) +
                   ",\"filter_after\":" + tools::JsonQuote(filter) +
                   ",\"dialog_error\":" + std::to_string(CommDlgExtendedError()) + ",";
        } else if (call.kind == L"folder") {
            std::string initial, title;
            if (!text(L"initial", initial) || !text(L"title", title))
                return Usage(L"bad text in a folder call");
            const std::string result =
                BrowseForFolder(initial, owner, title, call.Find(L"files") != nullptr);
            line = "{\"call\":\"folder\",\"result\":" + tools::JsonQuote(result) +
                   ",\"initial_after\":" + tools::JsonQuote(initial) + ",";
        } else {
            const uint32_t color = PickColor(owner);
            line = "{\"call\":\"color\",\"result\":" + std::to_string(color) + ",";
        }
        Emit(line + Memory() + "}");
    }
    if (window)
        DestroyWindow(window);
    return 0;
}
