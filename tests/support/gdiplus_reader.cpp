#include "gdiplus_reader.h"

#include <objidl.h>
// after objidl.h, which it needs and does not include
#include <gdiplus.h>

#include <cmath>
#include <limits>

#include "test_pictures.h"

namespace vellum::testing {

bool ReadWithGdiplus(const std::wstring& path, DecodedPicture& picture, std::string& error) {
    using namespace Gdiplus;
    using namespace Gdiplus::DllExports;
    GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (GdiplusStartup(&token, &input, nullptr) != Ok) {
        error = "GdiplusStartup failed";
        return false;
    }
    bool read = false;
    GpBitmap* image = nullptr;
    const GpStatus loaded = GdipCreateBitmapFromFile(path.c_str(), &image);
    if (loaded != Ok) {
        error = "GdipCreateBitmapFromFile status " + std::to_string(loaded);
    } else {
        UINT width = 0;
        UINT height = 0;
        HBITMAP bitmap = nullptr;
        GdipGetImageWidth(image, &width);
        GdipGetImageHeight(image, &height);
        const GpStatus made = GdipCreateHBITMAPFromBitmap(image, &bitmap, 0);
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
        GdipDisposeImage(image);
    }
    GdiplusShutdown(token);
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
