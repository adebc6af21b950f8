// No GDI object outlives a grab and its save. Wine's GetGuiResources reports 0 GDI objects for
// every process, so the test also measures the free room of the GDI handle table (about 65,000
// handles under Wine): the number of 1 x 1 bitmaps that can still be made must be the same before
// and after thousands of grab-and-save cycles.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "capture/grab.h"
#include "capture/image_encoder.h"

namespace vellum {
namespace {

int FreeBitmapSlots() {
    HDC memory = CreateCompatibleDC(nullptr);
    std::vector<HBITMAP> made;
    made.reserve(80000);
    for (;;) {
        HBITMAP b = CreateCompatibleBitmap(memory, 1, 1);
        if (!b)
            break;
        made.push_back(b);
    }
    for (HBITMAP b : made) DeleteObject(b);
    DeleteDC(memory);
    return static_cast<int>(made.size());
}

std::wstring TempName(const std::wstring& name) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    return std::wstring(base) + L"vellum-leak-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           name;
}

// One grab of a small piece of the screen and its save; the file is removed again.
bool GrabAndSave(const char* ext, int i, const std::wstring& name) {
    const CaptureOptions options{0, i % 2 == 1, i % 3 == 0 ? -1 : 0x00336699};
    UniqueBitmap bitmap = CaptureWindow(GetDesktopWindow(), i % 97, i % 89, 48, 32, options);
    const bool written =
        SaveBitmapToFile(std::move(bitmap), name, ext, 80, 24, 6, [](auto&, auto&) {});
    DeleteFileW(name.c_str());
    return written;
}

TEST(CaptureLeak, ThousandSavesInEachFormatLeaveTheGdiHandleTableAsItWas) {
    const char* formats[] = {"bmp", "jpg", "gif", "png", "tiff"};
    const std::wstring missing = TempName(L"missing\\x");
    // Failure paths too: unknown extension, unwritable path, null bitmap.
    auto failures = [&](int i) {
        EXPECT_FALSE(GrabAndSave("BMP", i, TempName(L"x.BMP")));
        EXPECT_FALSE(GrabAndSave(i % 2 ? "bmp" : "png", i, missing));
        EXPECT_FALSE(SaveBitmapToFile(GetWinPic(3, {3, false, -1}), TempName(L"n.png"), "png", 80,
                                      24, 6, [](auto&, auto&) {}));
    };
    // The first save of each kind loads libraries and caches that stay for the process's life.
    for (int i = 0; i < 3; ++i) {
        for (const char* ext : formats)
            GrabAndSave(ext, i, TempName(L"warm." + std::wstring(ext, ext + strlen(ext))));
        failures(i);
    }

    const auto start = std::chrono::steady_clock::now();
    const int slotsBefore = FreeBitmapSlots();
    const DWORD reportedBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (const char* ext : formats) {
        int failed = 0;
        const std::wstring name = TempName(L"leak." + std::wstring(ext, ext + strlen(ext)));
        for (int i = 0; i < 1000; ++i) failed += !GrabAndSave(ext, i, name);
        EXPECT_EQ(failed, 0) << ext;
    }
    for (int i = 0; i < 200; ++i) failures(i);
    const DWORD reportedAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const int slotsAfter = FreeBitmapSlots();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf(
        "free bitmap slots before %d, after %d; GetGuiResources before %lu, after %lu; "
        "%.1f s\n",
        slotsBefore, slotsAfter, static_cast<unsigned long>(reportedBefore),
        static_cast<unsigned long>(reportedAfter), seconds);
    EXPECT_GT(slotsBefore, 1000);  // the probe itself works
    EXPECT_EQ(slotsAfter, slotsBefore);
    EXPECT_EQ(reportedAfter, reportedBefore);
}

}  // namespace
}  // namespace vellum
