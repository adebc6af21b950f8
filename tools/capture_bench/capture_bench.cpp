// capture_bench [--busy] [RUNS [GIF_RUNS]]: the time of a whole-screen grab (GetWinPic type 0)
// and of the save of such a grab in each format, as the median, fastest and slowest of RUNS runs
// (15 by default; GIF, which is slow, GIF_RUNS, 5 by default). Files go to the temporary folder
// and are removed again. The encoders' times depend on the picture: --busy first covers the
// screen with a window of gradients and noise, which compresses about as badly as a photograph
// (an empty virtual screen is one flat colour).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "capture/grab.h"
#include "capture/image_encoder.h"
#include "test_pictures.h"

using namespace vellum;

namespace {

LRESULT CALLBACK BusyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_PAINT)
        return DefWindowProcW(hwnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    uint32_t noise = 2463534242u;
    testing::PaintPixels(dc, rc.right, rc.bottom, [&](int x, int y) {
        noise ^= noise << 13;
        noise ^= noise >> 17;
        noise ^= noise << 5;
        const uint32_t n = noise & 0x0F;
        const uint32_t r = ((x * 255 / (rc.right ? rc.right : 1)) + n) & 255;
        const uint32_t g = ((y * 255 / (rc.bottom ? rc.bottom : 1)) + n) & 255;
        const uint32_t b = (((x ^ y) & 0xFF) / 2 + 64 + n) & 255;
        return r << 16 | g << 8 | b;
    });
    EndPaint(hwnd, &ps);
    return 0;
}

// Covers the primary display with the busy picture and waits until the screen shows it.
void ShowBusyScreen(int width, int height) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = BusyProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VellumCaptureBenchBusy";
    RegisterClassW(&wc);
    HWND hwnd =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"busy", WS_POPUP, 0, 0,
                        width, height, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
    const DWORD start = GetTickCount();
    HDC screen = GetDC(nullptr);
    while (GetTickCount() - start < 10000 && GetPixel(screen, width - 1, height - 1) == 0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(20);
    }
    ReleaseDC(nullptr, screen);
}

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void Print(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    std::printf("%-6s median %8.1f ms   min %8.1f   max %8.1f   (%zu runs)\n", what, median,
                ms.front(), ms.back(), n);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int arg = 1;
    const bool busy = argc > arg && std::wstring(argv[arg]) == L"--busy";
    if (busy)
        ++arg;
    const int runs = argc > arg ? std::max(1, _wtoi(argv[arg])) : 15;
    const int gifRuns = argc > arg + 1 ? std::max(1, _wtoi(argv[arg + 1])) : 5;
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (busy)
        ShowBusyScreen(width, height);
    std::printf("whole screen %d x %d, %s\n", width, height,
                busy ? "covered with gradients and noise" : "as it is");
    if (width != 1920 || height != 1080)
        std::printf("note: the reference figures are at 1920 x 1080\n");

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring base =
        std::wstring(temp) + L"vellum-bench-" + std::to_wstring(GetCurrentProcessId()) + L".";
    const CaptureOptions options{0, false, -1};
    using Clock = std::chrono::steady_clock;

    // The first grabs and saves of a process load libraries and warm caches.
    for (const char* ext : {"bmp", "png"})
        SaveBitmapToFile(GetWinPic(0, options), base + std::wstring(ext, ext + 3), ext, 80, 24, 6);

    std::vector<double> grab;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        UniqueBitmap bitmap = GetWinPic(0, options);
        grab.push_back(Milliseconds(Clock::now() - t0));
        if (!bitmap) {
            std::printf("the grab failed\n");
            return 1;
        }
    }
    Print("grab", grab);

    for (const char* ext : {"bmp", "jpg", "png", "gif", "tiff"}) {
        const std::string e(ext);
        const std::wstring name = base + std::wstring(e.begin(), e.end());
        std::vector<double> save;
        for (int i = 0; i < (e == "gif" ? gifRuns : runs); ++i) {
            UniqueBitmap bitmap = GetWinPic(0, options);
            const auto t0 = Clock::now();
            const bool written = SaveBitmapToFile(std::move(bitmap), name, ext, 80, 24, 6);
            save.push_back(Milliseconds(Clock::now() - t0));
            DeleteFileW(name.c_str());
            if (!written) {
                std::printf("the %s save failed\n", ext);
                return 1;
            }
        }
        Print(ext, save);
    }
    return 0;
}
