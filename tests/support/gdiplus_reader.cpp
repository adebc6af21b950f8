#include "gdiplus_reader.h"

#include <objidl.h>
// after objidl.h, which it needs and does not include
#include <gdiplus.h>

#include <cmath>
#include <limits>

#include "test_pictures.h"

namespace vellum::testing {

namespace {

// GDI+ is bound when a file is read, not at load time: the tools that read files also run where
// GDI+ is switched off (the tests of the program without it).
struct GdiplusReadApi {
    decltype(&Gdiplus::GdiplusStartup) Startup = nullptr;
    decltype(&Gdiplus::GdiplusShutdown) Shutdown = nullptr;
    decltype(&Gdiplus::DllExports::GdipCreateBitmapFromFile) CreateBitmapFromFile = nullptr;
    decltype(&Gdiplus::DllExports::GdipGetImageWidth) GetImageWidth = nullptr;
    decltype(&Gdiplus::DllExports::GdipGetImageHeight) GetImageHeight = nullptr;
    decltype(&Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap) CreateHBITMAPFromBitmap = nullptr;
    decltype(&Gdiplus::DllExports::GdipDisposeImage) DisposeImage = nullptr;
};

template <typename Fn>
bool Resolve(HMODULE module, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return fn != nullptr;
}

const GdiplusReadApi* BindGdiplusReader() {
    static const GdiplusReadApi* bound = []() -> const GdiplusReadApi* {
        static GdiplusReadApi api;
        HMODULE module = LoadLibraryExW(L"gdiplus.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!module)
            return nullptr;
        const bool all =
            Resolve(module, "GdiplusStartup", api.Startup) &&
            Resolve(module, "GdiplusShutdown", api.Shutdown) &&
            Resolve(module, "GdipCreateBitmapFromFile", api.CreateBitmapFromFile) &&
            Resolve(module, "GdipGetImageWidth", api.GetImageWidth) &&
            Resolve(module, "GdipGetImageHeight", api.GetImageHeight) &&
            Resolve(module, "GdipCreateHBITMAPFromBitmap", api.CreateHBITMAPFromBitmap) &&
            Resolve(module, "GdipDisposeImage", api.DisposeImage);
        return all ? &api : nullptr;
    }();
    return bound;
}

}  // namespace

bool ReadWithGdiplus(const std::wstring& path, DecodedPicture& picture, std::string& error) {
    using namespace Gdiplus;
    const GdiplusReadApi* api = BindGdiplusReader();
    if (!api) {
        error = "gdiplus.dll cannot be loaded";
        return false;
    }
    GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (api->Startup(&token, &input, nullptr) != Ok) {
        error = "GdiplusStartup failed";
        return false;
    }
    bool read = false;
    GpBitmap* image = nullptr;
    const GpStatus loaded = api->CreateBitmapFromFile(path.c_str(), &image);
    if (loaded != Ok) {
        error = "GdipCreateBitmapFromFile status " + std::to_string(loaded);
    } else {
        UINT width = 0;
        UINT height = 0;
        HBITMAP bitmap = nullptr;
        api->GetImageWidth(image, &width);
        api->GetImageHeight(image, &height);
        const GpStatus made = api->CreateHBITMAPFromBitmap(image, &bitmap, 0);
        if (made != Ok || !bitmap) {
            error = "GdipCreateHBITMAPFromBitmap status " + std::to_string(made);
        } else {
            picture.width = static_cast<int>(width);
            picture.height = static_cast<int>(height);
            picture.pixels = Rgb32Pixels(bitmap, picture.width, picture.height);
            read = picture.pixels.size() == static_cast<size_t>(width) * height;
            if (!read)
                error = "GetDIBits failed";
            DeleteObject(bitmap);
        }
        api->DisposeImage(image);
    }
    api->Shutdown(token);
    return read;
}

double Psnr(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size() || a.empty())
        return 0;
    double squares = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift : {0, 8, 16}) {
            const double d = static_cast<double>((a[i] >> shift) & 0xFF) -
                             static_cast<double>((b[i] >> shift) & 0xFF);
            squares += d * d;
        }
    if (squares == 0)
        return std::numeric_limits<double>::infinity();
    const double mse = squares / (3.0 * static_cast<double>(a.size()));
    return 10 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace vellum::testing
