// hotkey_witness: the other application of the hotkey tests, run under Wine beside Vellum.
//   hotkey_witness keys LEFT TOP   a focused window at (LEFT, TOP); prints one JSON line when it
//                                  is ready and one for every key message it receives, with the
//                                  tick count of its arrival; ends on WM_CLOSE
//   hotkey_witness clipboard FILE  prints the clipboard's formats and its bitmap's size, and
//                                  writes the bitmap (as the clipboard's device-independent
//                                  form) to FILE as a BMP file
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void Emit(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

const char* KeyMessageName(UINT msg) {
    switch (msg) {
        case WM_KEYDOWN:
            return "keydown";
        case WM_SYSKEYDOWN:
            return "syskeydown";
        case WM_KEYUP:
            return "keyup";
        case WM_SYSKEYUP:
            return "syskeyup";
        default:
            return nullptr;
    }
}

LRESULT CALLBACK KeysProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (const char* name = KeyMessageName(msg)) {
        char line[160];
        std::snprintf(line, sizeof line, "{\"msg\":\"%s\",\"vk\":%u,\"tick\":%lu}", name,
                      static_cast<unsigned>(wp), GetTickCount());
        Emit(line);
        return 0;
    }
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int Keys(int left, int top) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = KeysProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = L"VellumKeyWitness";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"vellum key witness", WS_POPUP | WS_BORDER,
                                left, top, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd)
        return 1;
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    SetFocus(hwnd);
    UpdateWindow(hwnd);
    char line[200];
    std::snprintf(line, sizeof line, "{\"hwnd\":%llu,\"pid\":%lu,\"focus\":%s}",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)),
                  GetCurrentProcessId(), GetFocus() == hwnd ? "true" : "false");
    Emit(line);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

bool WriteAll(HANDLE file, const void* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

int Clipboard(const wchar_t* path) {
    bool open = false;
    for (int attempt = 0; attempt < 20 && !(open = OpenClipboard(nullptr)); ++attempt) Sleep(50);
    if (!open) {
        Emit("{\"error\":\"OpenClipboard failed\"}");
        return 1;
    }
    std::string formats;
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f))
        formats += (formats.empty() ? "" : ",") + std::to_string(f);
    long width = -1, height = -1;
    if (HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
        BITMAP info{};
        if (GetObjectW(bitmap, sizeof info, &info)) {
            width = info.bmWidth;
            height = info.bmHeight;
        }
    }
    bool saved = false;
    if (HGLOBAL dib = GetClipboardData(CF_DIB)) {
        const SIZE_T size = GlobalSize(dib);
        const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
        if (header && size >= sizeof(BITMAPINFOHEADER)) {
            DWORD colours = header->biClrUsed;
            if (!colours && header->biBitCount <= 8)
                colours = 1u << header->biBitCount;
            DWORD offset = header->biSize + colours * sizeof(RGBQUAD);
            if (header->biCompression == BI_BITFIELDS && header->biSize == sizeof(BITMAPINFOHEADER))
                offset += 3 * sizeof(DWORD);
            BITMAPFILEHEADER file{};
            file.bfType = 0x4D42;
            file.bfSize = static_cast<DWORD>(sizeof file + size);
            file.bfOffBits = static_cast<DWORD>(sizeof file + offset);
            HANDLE out = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
            if (out != INVALID_HANDLE_VALUE) {
                saved = WriteAll(out, &file, sizeof file) &&
                        WriteAll(out, header, static_cast<DWORD>(size));
                CloseHandle(out);
            }
        }
        if (header)
            GlobalUnlock(dib);
    }
    CloseClipboard();
    char line[400];
    std::snprintf(line, sizeof line,
                  "{\"formats\":[%s],\"bitmap_width\":%ld,\"bitmap_height\":%ld,\"saved\":%s}",
                  formats.c_str(), width, height, saved ? "true" : "false");
    Emit(line);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"keys" && argc == 4)
        return Keys(_wtoi(argv[2]), _wtoi(argv[3]));
    if (mode == L"clipboard" && argc == 3)
        return Clipboard(argv[2]);
    std::fputs("usage: hotkey_witness keys LEFT TOP | clipboard FILE\n", stderr);
    return 2;
}
