// gdiplus-read FILE OUT: the platform's decoder reads a picture file, as a paint program would
// open it; its pixels go to OUT as a 24-bit BMP for the tests to compare.
#include <cstdio>
#include <vector>

#include "driver.h"
#include "gdiplus_reader.h"

namespace driver {
namespace {

bool WriteBmp24(const std::wstring& path, const vellum::testing::DecodedPicture& picture) {
    const size_t stride = (static_cast<size_t>(picture.width) * 3 + 3) & ~size_t{3};
    std::vector<uint8_t> rows(stride * static_cast<size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        // Bottom-up rows, blue first.
        uint8_t* row = rows.data() + stride * static_cast<size_t>(picture.height - 1 - y);
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t rgb = picture.pixels[static_cast<size_t>(y) * picture.width + x];
            row[x * 3] = rgb & 0xFF;
            row[x * 3 + 1] = (rgb >> 8) & 0xFF;
            row[x * 3 + 2] = (rgb >> 16) & 0xFF;
        }
    }
    BITMAPINFOHEADER info{sizeof info,
                          picture.width,
                          picture.height,
                          1,
                          24,
                          BI_RGB,
                          static_cast<DWORD>(rows.size()),
                          0,
                          0,
                          0,
                          0};
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + rows.size());
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out)
        return false;
    const bool written = fwrite(&file, sizeof file, 1, out) == 1 &&
                         fwrite(&info, sizeof info, 1, out) == 1 &&
                         fwrite(rows.data(), 1, rows.size(), out) == rows.size();
    return fclose(out) == 0 && written;
}

}  // namespace

int CmdGdiplusRead(const Args& args) {
    const std::wstring file = args.Text(0);
    const std::wstring out = args.Text(1);
    vellum::testing::DecodedPicture picture;
    std::string error;
    if (!vellum::testing::ReadWithGdiplus(file, picture, error)) {
        PrintError(L"GDI+ cannot read the file: " + std::wstring(error.begin(), error.end()));
        return kExitFailed;
    }
    if (!WriteBmp24(out, picture)) {
        PrintError(L"cannot write " + out);
        return kExitFailed;
    }
    JsonLine().Int("width", picture.width).Int("height", picture.height).Emit();
    return kExitOk;
}

}  // namespace driver
