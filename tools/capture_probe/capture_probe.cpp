// capture_probe: the Windows side of the capture end-to-end tests.
//
//   capture_probe scene OUTDIR      shows two windows of known pixels, grabs and saves them in
//   every
//                                   format into OUTDIR\截图 测试\, writes OUTDIR\info.json and
//                                   OUTDIR\ready, then keeps the windows on screen until
//                                   OUTDIR\release appears (for a screenshot to compare with)
//   capture_probe depths OUTDIR     writes pictures of 1, 4, 8, 16, 24 and 32 bits per pixel as BMP
//   capture_probe nogdiplus OUTDIR  what a save does without GDI+: info.json with the probe's
//                                   answer, the BMP and PNG results (own encoders), the JPG
//                                   result (GDI+ only) and the error box's text
//
// Exit code 0 when the run went through (what it found is in the files), 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "capture/grab.h"
#include "capture/image_encoder.h"
#include "platform/utf16.h"
#include "tool_text.h"
#include "test_pictures.h"

using namespace vellum;

namespace {

const wchar_t kChineseFolder[] = L"截图 测试";

// The colour of client pixel (x, y) of a scene window: an offset by one shows in every channel.
COLORREF PatternAt(int x, int y, int seed) {
    return RGB((x * 7 + y * 3 + seed) & 255, (x * 5 + y * 11 + 40) & 255,
               (x * 13 + y * 17 + 91 + seed) & 255);
}

LRESULT CALLBACK SceneProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        const int seed = static_cast<int>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        testing::PaintPixels(dc, rc.right, rc.bottom, [seed](int x, int y) {
            const COLORREF c = PatternAt(x, y, seed);
            return static_cast<uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
        });
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HWND ShowScene(RECT outer, DWORD style, DWORD exStyle, int seed) {
    static const ATOM cls = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = SceneProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"VellumCaptureProbeScene";
        return RegisterClassW(&wc);
    }();
    HWND hwnd = CreateWindowExW(exStyle, MAKEINTATOM(cls), L"capture probe", style, outer.left,
                                outer.top, outer.right - outer.left, outer.bottom - outer.top,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, seed);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    return hwnd;
}

bool SceneShown(HWND hwnd, int seed) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    POINT o{0, 0};
    ClientToScreen(hwnd, &o);
    HDC screen = GetDC(nullptr);
    bool shown = rc.right > 0 && rc.bottom > 0;
    const POINT probes[] = {{0, 0}, {rc.right - 1, rc.bottom - 1}, {rc.right / 2, rc.bottom / 2}};
    for (const POINT& p : probes)
        shown = shown && GetPixel(screen, o.x + p.x, o.y + p.y) == PatternAt(p.x, p.y, seed);
    ReleaseDC(nullptr, screen);
    return shown;
}

bool WriteText(const std::wstring& path, const std::string& text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD n = 0;
    const bool ok =
        WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr) && n == text.size();
    CloseHandle(h);
    return ok;
}

std::string RectJson(const RECT& r) {
    return "[" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + "]";
}

// Each save's result, as JSON members "name": true/false.
struct Results {
    std::string json;
    void Add(const std::string& name, bool ok) {
        json +=
            (json.empty() ? "" : ", ") + tools::JsonQuote(name) + ": " + (ok ? "true" : "false");
    }
};

bool Save(UniqueBitmap bitmap, const std::wstring& folder, const std::string& name,
          const std::string& ext) {
    return SaveBitmapToFile(std::move(bitmap), folder + Widen(name + "." + ext), ext, 80, 24, 6);
}

int Scene(const std::wstring& out) {
    const std::wstring folder = out + kChineseFolder + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);

    // A borderless scene at the top-left corner and a framed window that becomes the foreground.
    HWND corner = ShowScene({0, 0, 320, 240}, WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, 0);
    HWND framed = ShowScene({900, 100, 1200, 300}, WS_OVERLAPPEDWINDOW, WS_EX_TOPMOST, 60);
    SetForegroundWindow(framed);
    const DWORD start = GetTickCount();
    while (!(SceneShown(corner, 0) && SceneShown(framed, 60)) && GetTickCount() - start < 15000) {
        Pump();
        Sleep(20);
    }
    const bool shown = SceneShown(corner, 0) && SceneShown(framed, 60);

    Results r;
    for (const char* ext : {"bmp", "png", "jpg", "gif", "tiff"})
        r.Add(std::string("whole.") + ext,
              Save(GetWinPic(0, {0, false, -1}), folder, "whole", ext));
    for (const char* ext : {"bmp", "png"}) {
        r.Add(std::string("rect.") + ext,
              Save(CaptureWindow(GetDesktopWindow(), 10, 20, 30, 40, {0, false, -1}), folder,
                   "rect", ext));
    }
    r.Add("active.png", Save(GetWinPic(1, {1, false, -1}), folder, "active", "png"));
    r.Add("interior.png", Save(GetWinPic(2, {2, false, -1}), folder, "interior", "png"));
    r.Add("border255.png", Save(CaptureWindow(GetDesktopWindow(), 5, 5, 100, 50, {0, true, 255}),
                                folder, "border255", "png"));
    r.Add("border255.bmp", Save(CaptureWindow(GetDesktopWindow(), 5, 5, 100, 50, {0, true, 255}),
                                folder, "border255", "bmp"));
    r.Add("bordernone.png", Save(CaptureWindow(GetDesktopWindow(), 5, 5, 100, 50, {0, true, -1}),
                                 folder, "bordernone", "png"));
    r.Add("border_c08040.bmp",
          Save(CaptureWindow(GetDesktopWindow(), 5, 5, 100, 50, {0, true, 0x00C08040}), folder,
               "border_c08040", "bmp"));

    RECT outer{};
    GetWindowRect(framed, &outer);
    RECT client{};
    GetClientRect(framed, &client);
    POINT origin{0, 0};
    ClientToScreen(framed, &origin);
    const std::string info =
        "{\"shown\": " + std::string(shown ? "true" : "false") +
        ", \"foreground_is_framed\": " + (GetForegroundWindow() == framed ? "true" : "false") +
        ", \"screen\": [" + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + ", " +
        std::to_string(GetSystemMetrics(SM_CYSCREEN)) + "], \"framed_outer\": " + RectJson(outer) +
        ", \"framed_client\": " +
        RectJson({origin.x, origin.y, origin.x + client.right, origin.y + client.bottom}) +
        ", \"saved\": {" + r.json + "}}\n";
    WriteText(out + L"info.json", info);
    WriteText(out + L"ready", "");

    // Keep the scene on screen until the test has taken its screenshot.
    const std::wstring release = out + L"release";
    const DWORD wait = GetTickCount();
    while (GetFileAttributesW(release.c_str()) == INVALID_FILE_ATTRIBUTES &&
           GetTickCount() - wait < 120000) {
        Pump();
        Sleep(20);
    }
    return 0;
}

int Depths(const std::wstring& out) {
    Results r;
    for (int bpp : {1, 4, 8, 16, 24, 32}) {
        const std::string name = "depth" + std::to_string(bpp);
        r.Add(name + ".bmp",
              Save(UniqueBitmap(testing::DepthPicture(13, 5, bpp)), out, name, "bmp"));
    }
    return WriteText(out + L"info.json", "{\"saved\": {" + r.json + "}}\n") ? 0 : 1;
}

int NoGdiplus(const std::wstring& out) {
    struct Box {
        std::wstring caption, text;
        bool found = false;
    } box;
    const bool available = GdiplusAvailable();
    Results r;
    r.Add("whole.bmp", Save(GetWinPic(0, {0, false, -1}), out, "whole", "bmp"));
    r.Add("whole.png", Save(GetWinPic(0, {0, false, -1}), out, "whole", "png"));
    // The error box is modal on this thread: another thread reads it and presses OK.
    std::thread watcher([&box] {
        for (int i = 0; i < 750 && !box.found; ++i) {
            HWND w = FindWindowW(L"#32770", nullptr);
            DWORD pid = 0;
            if (w)
                GetWindowThreadProcessId(w, &pid);
            if (w && pid == GetCurrentProcessId()) {
                wchar_t text[1024] = {};
                GetWindowTextW(w, text, 1024);
                box.caption = text;
                GetDlgItemTextW(w, 0xFFFF, text, 1024);
                box.text = text;
                box.found = true;
                PostMessageW(w, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(20);
        }
    });
    r.Add("whole.jpg", Save(GetWinPic(0, {0, false, -1}), out, "whole", "jpg"));
    watcher.join();
    const std::string info = "{\"available\": " + std::string(available ? "true" : "false") +
                             ", \"box_shown\": " + (box.found ? "true" : "false") +
                             ", \"box_caption\": " + tools::JsonQuote(Narrow(box.caption)) +
                             ", \"box_text\": " + tools::JsonQuote(Narrow(box.text)) +
                             ", \"saved\": {" + r.json + "}}\n";
    return WriteText(out + L"info.json", info) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: capture_probe scene|depths|nogdiplus OUTDIR\n");
        return 2;
    }
    std::wstring out = argv[2];
    if (!out.empty() && out.back() != L'\\')
        out += L'\\';
    const std::wstring mode = argv[1];
    if (mode == L"scene")
        return Scene(out);
    if (mode == L"depths")
        return Depths(out);
    if (mode == L"nogdiplus")
        return NoGdiplus(out);
    std::fprintf(stderr, "unknown mode\n");
    return 2;
}
