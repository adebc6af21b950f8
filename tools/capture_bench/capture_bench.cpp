// capture_bench [--screen=NAMES|--as-is|--cover=NAME] [--keep=DIR] [--no-4k] [RUNS [GIF_RUNS]]:
// the time of a whole-screen grab (GetWinPic type 0) and of the save of such a grab in each format,
// as the median, fastest and slowest of RUNS runs (9 by default; the platform's GIF, which is slow,
// GIF_RUNS, 3 by default). PNG, GIF and TIFF are saved twice, side by side on the same grabs: by
// the program's own encoders and by the platform's GDI+ encoder, with the files' sizes; the last
// file of each is then read back by GDI+'s decoder and compared with the grab (exact, or the
// PSNR). Then the same on a synthetic 3840 x 2160 bitmap of the same scene. Last for each picture,
// the PNG encoding alone, into memory: the program's encoder (the bitmap's pixels read, filtered
// and deflated) beside GDI+'s (its bitmap made from the same handle and saved into a memory
// stream, in a GDI+ session started once), without the file, its name and its rename.
//
// The encoders' times depend on the picture, so the screen is first covered by a window showing
// a scene: NAMES is a comma-separated list of text-photo (a page of text beside a photograph),
// plain-ui (windows, buttons and lists) and busy (gradients and noise); all three by default.
// --as-is grabs the screen as it is. Files go to the temporary folder and are removed again,
// except that --keep leaves the last file of each kind in DIR. --cover=NAME only shows that scene
// over the screen, until the process is ended, for other programs to capture.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench_scenes.h"
#include "capture/encoder_plan.h"
#include "capture/gdiplus_binding.h"
#include "capture/grab.h"
#include "capture/image_encoder.h"
#include "capture/own_encoders.h"
#include "platform/system_library.h"
#include "gdiplus_reader.h"
#include "test_pictures.h"

using namespace vellum;
using bench::Scene;

namespace {

Scene g_shownScene = Scene::Busy;

LRESULT CALLBACK SceneProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_PAINT)
        return DefWindowProcW(hwnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    bench::PaintScene(dc, rc.right, rc.bottom, g_shownScene);
    EndPaint(hwnd, &ps);
    return 0;
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
}

// Covers the primary display with the scene and waits until it is painted; the window stays
// until the next scene replaces it.
HWND ShowScene(Scene scene, int width, int height, HWND previous) {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = SceneProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VellumCaptureBenchScene";
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    g_shownScene = scene;
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"VellumCaptureBenchScene",
                                L"scene", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
    if (previous)
        DestroyWindow(previous);
    PumpFor(500);
    return hwnd;
}

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    return n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
}

void Print(const std::string& what, std::vector<double> ms, long long bytes = -1,
           const std::string& readBack = "") {
    std::sort(ms.begin(), ms.end());
    std::printf("  %-10s median %8.1f ms   min %8.1f   max %8.1f   (%2zu runs)", what.c_str(),
                Median(ms), ms.front(), ms.back(), ms.size());
    if (bytes >= 0)
        std::printf("  %10lld bytes", bytes);
    if (!readBack.empty())
        std::printf("   %s", readBack.c_str());
    std::printf("\n");
}

long long FileSize(const std::wstring& name) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// A bitmap of any size showing the scene, without a screen of that size.
UniqueBitmap SceneBitmap(Scene scene, int width, int height) {
    ScopedGetDC screen(nullptr);
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen, width, height));
    ScopedMemDC dc(screen);
    ScopedSelectObject selected(dc, bitmap.get());
    bench::PaintScene(dc, width, height, scene);
    return bitmap;
}

using Saver = bool (*)(UniqueBitmap, const std::wstring&, const std::string&);
bool SaveOwn(UniqueBitmap bitmap, const std::wstring& name, const std::string& ext) {
    return SaveBitmapToFile(std::move(bitmap), name, ext, 80, 24, 6);
}
bool SaveGdiplus(UniqueBitmap bitmap, const std::wstring& name, const std::string& ext) {
    return SaveBitmapWithGdiplus(std::move(bitmap), name, ext, 80, 24, 6);
}

// How GDI+'s decoder reads the file back against the picture that was saved.
std::string ReadBack(const std::wstring& name, const std::vector<uint32_t>& reference) {
    testing::DecodedPicture picture;
    std::string error;
    if (!testing::ReadWithGdiplus(name, picture, error))
        return "gdi+ cannot read it: " + error;
    if (picture.pixels.size() != reference.size())
        return "gdi+ reads another size";
    const double psnr = testing::Psnr(picture.pixels, reference);
    char text[64];
    if (std::isinf(psnr))
        std::snprintf(text, sizeof text, "gdi+ reads it: exact");
    else
        std::snprintf(text, sizeof text, "gdi+ reads it: PSNR %.1f dB", psnr);
    return text;
}

struct Run {
    std::wstring base;     // the temporary file's name without its extension
    std::wstring keepDir;  // empty: nothing kept
};

// Times `runs` saves of fresh bitmaps; prints the median, the last file's size and, given the
// saved picture's pixels, how GDI+ reads the last file. False when a save failed.
template <typename MakeBitmap>
bool TimeSaves(const Run& run, const std::string& label, const std::string& ext, Saver save,
               int runs, const std::string& keepAs, MakeBitmap make,
               const std::vector<uint32_t>* reference = nullptr) {
    const std::wstring name = run.base + std::wstring(ext.begin(), ext.end());
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        UniqueBitmap bitmap = make();
        const auto t0 = std::chrono::steady_clock::now();
        const bool written = save(std::move(bitmap), name, ext);
        ms.push_back(Milliseconds(std::chrono::steady_clock::now() - t0));
        if (!written) {
            std::printf("the %s save failed\n", label.c_str());
            return false;
        }
        if (i + 1 < runs)
            DeleteFileW(name.c_str());
    }
    Print(label, ms, FileSize(name), reference ? ReadBack(name, *reference) : "");
    if (!run.keepDir.empty())
        MoveFileExW(name.c_str(),
                    (run.keepDir + std::wstring(keepAs.begin(), keepAs.end())).c_str(),
                    MOVEFILE_REPLACE_EXISTING);
    DeleteFileW(name.c_str());
    return true;
}

// GDI+'s PNG encoder writing into a stream on memory, allocated beforehand.
class GdiplusPngToMemory {
  public:
    GdiplusPngToMemory() : api_(BindGdiplus()), module_(LoadSystemLibrary(L"gdiplus.dll")) {
        saveToStream_ = ModuleFunction<decltype(&Gdiplus::DllExports::GdipSaveImageToStream)>(
            module_, "GdipSaveImageToStream");
        const std::optional<EncoderPlan> plan = PlanEncoder("png", 80, 24, 6);
        Gdiplus::GdiplusStartupInput input;
        ready_ = api_ && saveToStream_ && plan && GuidFromText(plan->encoderClsid, &encoder_) &&
                 api_->Startup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusPngToMemory() {
        if (ready_)
            api_->Shutdown(token_);
    }
    bool ready() const { return ready_; }

    // The encoded file's size, or -1 when it failed.
    long long Encode(HBITMAP bitmap) const {
        Gdiplus::GpBitmap* image = nullptr;
        if (api_->CreateBitmapFromHBITMAP(bitmap, nullptr, &image) != Gdiplus::Ok)
            return -1;
        // Room for more than any PNG of the picture, allocated before: a stream that grows with
        // each write copies the whole file again and again, which no encoder is to blame for.
        BITMAP info{};
        GetObjectW(bitmap, sizeof info, &info);
        const SIZE_T room = SIZE_T(info.bmWidth) * SIZE_T(info.bmHeight) * 4 + (1u << 20);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, room);
        IStream* stream = nullptr;
        long long size = -1;
        if (memory && SUCCEEDED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
            ULARGE_INTEGER end{};
            if (saveToStream_(image, stream, &encoder_, nullptr) == Gdiplus::Ok &&
                SUCCEEDED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end)))
                size = static_cast<long long>(end.QuadPart);
            stream->Release();  // frees the memory too
        } else if (memory) {
            GlobalFree(memory);
        }
        api_->DisposeImage(image);
        return size;
    }

  private:
    const GdiplusApi* api_;
    UniqueModule module_;
    decltype(&Gdiplus::DllExports::GdipSaveImageToStream) saveToStream_ = nullptr;
    CLSID encoder_{};
    ULONG_PTR token_ = 0;
    bool ready_ = false;
};

// The PNG encoding alone, into memory, ours beside GDI+'s, on the same bitmaps.
template <typename MakeBitmap>
bool TimePngEncodeOnly(int runs, MakeBitmap make) {
    static const GdiplusPngToMemory gdiplus;
    std::vector<double> read, ours, theirs;
    long long oursSize = -1, theirsSize = -1;
    for (int i = 0; i < runs; ++i) {
        const UniqueBitmap bitmap = make();
        BITMAP info{};
        GetObjectW(bitmap.get(), sizeof info, &info);
        // The bitmap's pixels read into memory, as every encoder of ours and GDI+ begin.
        auto t0 = std::chrono::steady_clock::now();
        (void)testing::Rgb32Pixels(bitmap.get(), info.bmWidth, info.bmHeight);
        read.push_back(Milliseconds(std::chrono::steady_clock::now() - t0));
        t0 = std::chrono::steady_clock::now();
        oursSize = static_cast<long long>(EncodeBitmap(bitmap.get(), OwnFormat::Png).size());
        ours.push_back(Milliseconds(std::chrono::steady_clock::now() - t0));
        if (!gdiplus.ready())
            continue;
        t0 = std::chrono::steady_clock::now();
        theirsSize = gdiplus.Encode(bitmap.get());
        theirs.push_back(Milliseconds(std::chrono::steady_clock::now() - t0));
    }
    Print("pixel read", read);
    Print("png encode", ours, oursSize);
    if (theirs.empty() || theirsSize < 0) {
        std::printf("  GDI+ cannot encode PNG into memory\n");
        return false;
    }
    Print("gdi+ encode", theirs, theirsSize);
    std::printf("  png encode ours / gdi+: time %.2f, size %.2f\n", Median(ours) / Median(theirs),
                static_cast<double>(oursSize) / static_cast<double>(theirsSize));
    return true;
}

// The grab and every format's save of one picture, ours beside GDI+'s.
template <typename MakeBitmap>
bool TimeFormats(const Run& run, const std::string& group, int runs, int gifRuns, MakeBitmap make,
                 int width, int height) {
    UniqueBitmap sample = make();
    const std::vector<uint32_t> reference = testing::Rgb32Pixels(sample.get(), width, height);
    for (const std::string ext : {"bmp", "jpg"})
        if (!TimeSaves(run, ext, ext, SaveOwn, runs, group + "." + ext, make))
            return false;
    for (const std::string ext : {"png", "gif", "tiff"})
        if (!TimeSaves(run, ext + " ours", ext, SaveOwn, runs, group + "-ours." + ext, make,
                       &reference) ||
            !TimeSaves(run, ext + " gdi+", ext, SaveGdiplus, ext == "gif" ? gifRuns : runs,
                       group + "-gdiplus." + ext, make, &reference))
            return false;
    return TimePngEncodeOnly(runs, make);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int arg = 1;
    std::vector<Scene> scenes = {Scene::TextAndPhoto, Scene::PlainUi, Scene::Busy};
    bool asIs = false;
    bool big = true;
    Run run;
    for (; argc > arg && std::wstring(argv[arg]).rfind(L"--", 0) == 0; ++arg) {
        const std::wstring option = argv[arg];
        if (option == L"--as-is") {
            asIs = true;
        } else if (option.rfind(L"--cover=", 0) == 0) {
            Scene scene;
            const std::string name(option.begin() + 8, option.end());
            if (!bench::SceneFromName(name.c_str(), scene)) {
                std::printf("unknown screen %s\n", name.c_str());
                return 2;
            }
            ShowScene(scene, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr);
            for (;;) PumpFor(1000);
        } else if (option == L"--no-4k") {
            big = false;
        } else if (option.rfind(L"--keep=", 0) == 0) {
            run.keepDir = option.substr(7) + L"\\";
        } else if (option.rfind(L"--screen=", 0) == 0) {
            scenes.clear();
            std::string names(option.begin() + 9, option.end());
            for (size_t at = 0; at <= names.size();) {
                const size_t comma = std::min(names.find(',', at), names.size());
                Scene scene;
                if (!bench::SceneFromName(names.substr(at, comma - at).c_str(), scene)) {
                    std::printf("unknown screen %s\n", names.substr(at, comma - at).c_str());
                    return 2;
                }
                scenes.push_back(scene);
                at = comma + 1;
            }
        } else {
            std::printf("unknown option\n");
            return 2;
        }
    }
    const int runs = argc > arg ? std::max(1, _wtoi(argv[arg])) : 9;
    const int gifRuns = argc > arg + 1 ? std::max(1, _wtoi(argv[arg + 1])) : 3;
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (width != 1920 || height != 1080)
        std::printf("note: the reference figures are at 1920 x 1080\n");

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    run.base =
        std::wstring(temp) + L"vellum-bench-" + std::to_wstring(GetCurrentProcessId()) + L".";
    const CaptureOptions options{0, false, -1};
    const auto screen = [&] { return GetWinPic(0, options); };

    // The first grabs and saves of a process load libraries and warm caches.
    for (const char* ext : {"bmp", "png"})
        SaveBitmapToFile(screen(), run.base + std::wstring(ext, ext + 3), ext, 80, 24, 6);
    SaveBitmapWithGdiplus(screen(), run.base + L"warm.png", "png", 80, 24, 6);
    for (const wchar_t* ext : {L"bmp", L"png", L"warm.png"}) DeleteFileW((run.base + ext).c_str());

    if (asIs)
        scenes = {};
    HWND shown = nullptr;
    for (size_t i = 0; i < (asIs ? 1 : scenes.size()); ++i) {
        const std::string name = asIs ? "as-is" : bench::SceneName(scenes[i]);
        if (!asIs)
            shown = ShowScene(scenes[i], width, height, shown);
        std::printf("whole screen %d x %d: %s\n", width, height, name.c_str());
        std::vector<double> grab;
        for (int r = 0; r < runs; ++r) {
            const auto t0 = std::chrono::steady_clock::now();
            UniqueBitmap bitmap = screen();
            grab.push_back(Milliseconds(std::chrono::steady_clock::now() - t0));
            if (!bitmap) {
                std::printf("the grab failed\n");
                return 1;
            }
        }
        Print("grab", grab);
        if (!TimeFormats(run, name, runs, gifRuns, screen, width, height))
            return 1;
        if (!big || asIs)
            continue;
        std::printf("synthetic bitmap 3840 x 2160: %s\n", name.c_str());
        const Scene scene = scenes[i];
        const auto make = [scene] { return SceneBitmap(scene, 3840, 2160); };
        if (!TimeFormats(run, name + "-4k", std::max(1, runs / 3), std::max(1, gifRuns / 2), make,
                         3840, 2160))
            return 1;
    }
    if (shown)
        DestroyWindow(shown);
    return 0;
}
