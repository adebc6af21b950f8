#include "test_pictures.h"

#include <cstring>
#include <vector>

namespace vellum::testing {

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    return bi;
}

std::vector<uint32_t> Rgb32Pixels(HBITMAP bitmap, int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    BITMAPINFO bi = TopDown32(width, height);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    for (uint32_t& v : pixels) v &= 0xFFFFFF;
    return pixels;
}

void PaintPixels(HDC dc, int width, int height,
                 const std::function<uint32_t(int x, int y)>& rgbAt) {
    std::vector<uint32_t> rows(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) rows[static_cast<size_t>(y) * width + x] = rgbAt(x, y);
    const BITMAPINFO bi = TopDown32(width, height);
    SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, rows.data(), &bi, DIB_RGB_COLORS);
}

HBITMAP DepthPicture(int w, int h, int bpp) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } bi{};
    bi.header.biSize = sizeof(BITMAPINFOHEADER);
    bi.header.biWidth = w;
    bi.header.biHeight = -h;
    bi.header.biPlanes = 1;
    bi.header.biBitCount = static_cast<WORD>(bpp);
    if (bpp <= 8) {
        for (int i = 0; i < (1 << bpp); ++i)
            bi.colors[i] = {static_cast<BYTE>((i * 151 + 5) & 255),
                            static_cast<BYTE>((i * 91 + 17) & 255),
                            static_cast<BYTE>((i * 37) & 255), 0};
    }
    if (bpp == 16) {
        bi.header.biCompression = BI_BITFIELDS;
        const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
        std::memcpy(bi.colors, masks, sizeof masks);
    }
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS,
                                   &bits, nullptr, 0);
    if (!bmp)
        return nullptr;
    const int stride = (w * bpp + 31) / 32 * 4;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = static_cast<uint8_t*>(bits) + y * stride;
        for (int x = 0; x < w; ++x) {
            if (bpp <= 8) {
                const int index = (x * 3 + y * 5) % (1 << bpp);
                const int bit = x * bpp;
                row[bit / 8] |= static_cast<uint8_t>(index << (8 - bpp - bit % 8));
            } else if (bpp == 16) {
                const uint16_t v = static_cast<uint16_t>(
                    ((x * 5) & 31) << 11 | ((y * 9) & 63) << 5 | (((x + y) * 3) & 31));
                std::memcpy(row + x * 2, &v, 2);
            } else {
                uint8_t* p = row + x * (bpp / 8);
                p[0] = static_cast<uint8_t>(x * 13 + 7);  // blue
                p[1] = static_cast<uint8_t>(y * 29 + 3);  // green
                p[2] = static_cast<uint8_t>(x * y + 11);  // red
            }
        }
    }
    return bmp;
}

}  // namespace vellum::testing
