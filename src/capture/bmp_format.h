#pragma once
// The layout of a Windows bitmap file (BITMAPFILEHEADER + BITMAPINFOHEADER, bottom-up rows).
#include <cstdint>
#include <optional>
#include <vector>

namespace vellum {

constexpr uint32_t kBmpCompressionRgb = 0;        // BI_RGB
constexpr uint32_t kBmpCompressionBitfields = 3;  // BI_BITFIELDS
constexpr uint32_t kBmpFileHeaderSize = 14;
constexpr uint32_t kBmpInfoHeaderSize = 40;

struct BmpLayout {
    int32_t width = 0;
    int32_t height = 0;  // positive: the rows are stored bottom-up
    uint16_t bitCount = 0;
    uint32_t compression = kBmpCompressionRgb;  // bitfields for 16 bits per pixel
    uint32_t rowStride = 0;                     // bytes per row, a multiple of 4
    uint32_t colorTableEntries = 0;             // 2^bitCount for 1, 4 and 8 bits per pixel
    uint32_t maskCount = 0;                     // 3 colour masks (red, green, blue) for 16 bits
    uint32_t pixelOffset = 0;                   // bfOffBits
    uint32_t imageSize = 0;                     // rowStride * height
    uint32_t fileSize = 0;                      // bfSize
};

// The bit count a bitmap of bitsPerPixel is written at (15 goes to 16), or 0 when the format has
// no such depth.
uint16_t BmpBitCountFor(uint32_t bitsPerPixel);

// Layout for a width x height picture at bitCount (1, 4, 8, 16, 24 or 32). Empty for a size of
// zero or less, another bit count, or a file that would not fit the format's 32-bit sizes.
std::optional<BmpLayout> PlanBmp(int32_t width, int32_t height, uint16_t bitCount);

// The bytes before the pixel rows: file header, info header, then the colour table (one
// 0x00RRGGBB value per entry, stored as B, G, R, 0) or the three masks. `table` must hold exactly
// colorTableEntries or maskCount values; the result is empty otherwise.
std::vector<uint8_t> BmpHeaders(const BmpLayout& layout, const std::vector<uint32_t>& table);

}  // namespace vellum
