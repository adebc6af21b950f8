// capture_bench [--busy] [--keep=DIR] [RUNS [GIF_RUNS]]: the time of a whole-screen grab
// (GetWinPic type 0) and of the save of such a grab in each format, as the median, fastest and
// slowest of RUNS runs (15 by default; the platform's GIF, which is slow, GIF_RUNS, 5 by
// default). PNG, GIF and TIFF are saved twice, side by side on the same grabs: by the program's
// own encoders and by the platform's GDI+ encoder, with the files' sizes; then both again on a
// synthetic 3840 x 2160 bitmap of the busy picture. Files go to the temporary folder and are
// removed again, except that --keep leaves the last file of each kind in DIR (for a PSNR check).
// The encoders' times depend on the picture: --busy first covers the screen with a window of
// gradients and noise, which compresses about as badly as a photograph (an empty virtual screen is
// one flat colour).
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

void Print(const std::string& what, std::vector<double> ms, long long bytes = -1) {
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    std::printf("%-12s median %8.1f ms   min %8.1f   max %8.1f   (%zu runs)", what.c_str(), median,
                ms.front(), ms.back(), n);
    if (bytes >= 0)
        std::printf("   %10lld bytes", bytes);
    std::printf("\n");
}

long long FileSize(const std::wstring& name) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// The busy picture as a bitmap of any size, without a screen of that size.
UniqueBitmap SyntheticBitmap(int width, int height) {
    ScopedGetDC screen(nullptr);
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen, width, height));
    ScopedMemDC dc(screen);
    ScopedSelectObject selected(dc, bitmap.get());
    uint32_t noise = 2463534242u;
    testing::PaintPixels(dc, width, height, [&](int x, int y) {
        noise ^= noise << 13;
        noise ^= noise >> 17;
        noise ^= noise << 5;
        const uint32_t n = noise & 0x0F;
        const uint32_t r = ((x * 255 / width) + n) & 255;
        const uint32_t g = ((y * 255 / height) + n) & 255;
        const uint32_t b = (((x ^ y) & 0xFF) / 2 + 64 + n) & 255;
        return r << 16 | g << 8 | b;
    });
    return bitmap;
}

using Saver = bool (*)(UniqueBitmap, const std::wstring&, const std::string&);
bool SaveOwn(UniqueBitmap bitmap, const std::wstring& name, const std::string& ext) {
    return SaveBitmapToFile(std::move(bitmap), name, ext, 80, 24, 6);
}
bool SaveGdiplus(UniqueBitmap bitmap, const std::wstring& name, const std::string& ext) {
    return SaveBitmapWithGdiplus(std::move(bitmap), name, ext, 80, 24, 6);
}

// Times `runs` saves of fresh bitmaps; prints the median and the last file's size. False when a
// save failed.
template <typename MakeBitmap>
bool TimeSaves(const std::string& label, const std::string& ext, Saver save, int runs,
               const std::wstring& name, const std::wstring& keep, MakeBitmap make) {
    std::vector<double> ms;
    long long bytes = -1;
    for (int i = 0; i < runs; ++i) {
        UniqueBitmap bitmap = make();
        const auto t0 = std::chrono::steady_clock::now();
        const bool written = save(std::move(bitmap), name, ext);
        ms.push_back(Milliseconds(std::chrono::steady_clock::now() - t0));
        bytes = FileSize(name);
        if (!written) {
            std::printf("the %s save failed\n", label.c_str());
            return false;
        }
        if (i + 1 == runs && !keep.empty())
            MoveFileExW(name.c_str(), keep.c_str(), MOVEFILE_REPLACE_EXISTING);
        DeleteFileW(name.c_str());
    }
    Print(label, ms, bytes);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int arg = 1;
    bool busy = false;
    std::wstring keepDir;
    for (; argc > arg && std::wstring(argv[arg]).rfind(L"--", 0) == 0; ++arg) {
        const std::wstring option = argv[arg];
        if (option == L"--busy")
            busy = true;
        else if (option.rfind(L"--keep=", 0) == 0)
            keepDir = option.substr(7) + L"\\";
    }
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
    const auto wide = [](const std::string& text) {
        return std::wstring(text.begin(), text.end());
    };
    const auto kept = [&](const std::string& name) {
        return keepDir.empty() ? std::wstring() : keepDir + wide(name);
    };

    // The first grabs and saves of a process load libraries and warm caches.
    for (const char* ext : {"bmp", "png"})
        SaveBitmapToFile(GetWinPic(0, options), base + std::wstring(ext, ext + 3), ext, 80, 24, 6);
    SaveBitmapWithGdiplus(GetWinPic(0, options), base + L"warm.png", "png", 80, 24, 6);
    DeleteFileW((base + L"warm.png").c_str());

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

    const auto screen = [&] { return GetWinPic(0, options); };
    for (const char* ext : {"bmp", "jpg"})
        if (!TimeSaves(ext, ext, SaveOwn, runs, base + wide(ext),
                       kept(std::string("screen.") + ext), screen))
            return 1;
    for (const std::string ext : {"png", "gif", "tiff"}) {
        const std::wstring name = base + wide(ext);
        if (!TimeSaves(ext + " ours", ext, SaveOwn, runs, name, kept("screen-ours." + ext),
                       screen) ||
            !TimeSaves(ext + " gdi+", ext, SaveGdiplus, ext == "gif" ? gifRuns : runs, name,
                       kept("screen-gdiplus." + ext), screen))
            return 1;
    }

    std::printf("synthetic bitmap 3840 x 2160 of the busy picture\n");
    const auto big = [] { return SyntheticBitmap(3840, 2160); };
    const int bigRuns = std::max(1, runs / 3);
    if (!TimeSaves("bmp", "bmp", SaveOwn, bigRuns, base + L"bmp", kept("4k.bmp"), big))
        return 1;
    for (const std::string ext : {"png", "gif", "tiff"}) {
        const std::wstring name = base + wide(ext);
        if (!TimeSaves(ext + " ours", ext, SaveOwn, bigRuns, name, kept("4k-ours." + ext), big) ||
            !TimeSaves(ext + " gdi+", ext, SaveGdiplus, std::max(1, gifRuns / 2), name,
                       kept("4k-gdiplus." + ext), big))
            return 1;
    }
    return 0;
}
