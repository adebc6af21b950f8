#include "capture/bmp_writer.h"

#include <cstring>
#include <vector>

#include "capture/bmp_format.h"
#include "platform/scoped_win.h"

namespace vellum {
namespace {

// BITMAPINFO with room for the largest colour table (256 entries) or the three masks.
struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

// Writes all of a buffer, in pieces that WriteFile can take.
bool WriteAll(HANDLE file, const uint8_t* data, size_t size) {
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written != chunk)
            return false;
        data += chunk;
        size -= chunk;
    }
    return true;
}

// Reads the pixel rows (bottom-up) and the colour table or masks of the bitmap at layout's depth.
bool ReadBits(HBITMAP bitmap, const BmpLayout& layout, std::vector<uint8_t>& pixels,
              std::vector<uint32_t>& table) {
    BitmapInfo256 info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = layout.width;
    info.header.biHeight = layout.height;
    info.header.biPlanes = 1;
    info.header.biBitCount = layout.bitCount;
    info.header.biCompression = layout.compression;
    pixels.assign(layout.imageSize, 0);

    const ScopedGetDC screen(nullptr);
    if (!screen.get())
        return false;
    const int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(layout.height), pixels.data(),
                                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    if (lines != layout.height)
        return false;

    table.clear();
    if (layout.maskCount != 0) {
        uint32_t masks[3];
        std::memcpy(masks, info.colors, sizeof masks);
        if (masks[0] == 0 && masks[1] == 0 && masks[2] == 0) {
            // No masks reported: the rows are in the 5-5-5 layout of a plain 16-bit DIB.
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        }
        table.assign(masks, masks + 3);
    }
    for (uint32_t i = 0; i < layout.colorTableEntries; ++i) {
        const RGBQUAD& q = info.colors[i];
        table.push_back(static_cast<uint32_t>(q.rgbRed) << 16 |
                        static_cast<uint32_t>(q.rgbGreen) << 8 | q.rgbBlue);
    }
    if (layout.bitCount == 32) {
        // The fourth byte of a BI_RGB pixel is unused; keep it zero so no reader takes it as alpha.
        for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 0;
    }
    return true;
}

}  // namespace

bool WriteBmpFile(HBITMAP bitmap, const std::wstring& fileName) {
    if (!bitmap)
        return false;
    BITMAP bm{};
    if (GetObjectW(bitmap, sizeof bm, &bm) != sizeof bm)
        return false;
    const auto layout = PlanBmp(
        bm.bmWidth, bm.bmHeight,
        BmpBitCountFor(static_cast<uint32_t>(bm.bmBitsPixel) * static_cast<uint32_t>(bm.bmPlanes)));
    if (!layout)
        return false;

    std::vector<uint8_t> pixels;
    std::vector<uint32_t> table;
    if (!ReadBits(bitmap, *layout, pixels, table))
        return false;
    const std::vector<uint8_t> headers = BmpHeaders(*layout, table);
    if (headers.size() != layout->pixelOffset)
        return false;

    UniqueHandle file(CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    const bool written = WriteAll(file.get(), headers.data(), headers.size()) &&
                         WriteAll(file.get(), pixels.data(), pixels.size()) && file.Close();
    if (!written) {
        file.reset();
        DeleteFileW(fileName.c_str());
    }
    return written;
}

}  // namespace vellum
