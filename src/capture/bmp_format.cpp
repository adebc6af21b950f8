#include "capture/bmp_format.h"

#include <limits>

namespace vellum {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

uint16_t BmpBitCountFor(uint32_t bitsPerPixel) {
    switch (bitsPerPixel) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            return static_cast<uint16_t>(bitsPerPixel);
        case 15:
            return 16;
        default:
            return 0;
    }
}

std::optional<BmpLayout> PlanBmp(int32_t width, int32_t height, uint16_t bitCount) {
    if (width <= 0 || height <= 0 || bitCount == 0 || BmpBitCountFor(bitCount) != bitCount)
        return std::nullopt;
    BmpLayout l;
    l.width = width;
    l.height = height;
    l.bitCount = bitCount;
    l.compression = bitCount == 16 ? kBmpCompressionBitfields : kBmpCompressionRgb;
    l.colorTableEntries = bitCount <= 8 ? (1u << bitCount) : 0;
    l.maskCount = bitCount == 16 ? 3 : 0;

    const uint64_t stride = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
    const uint64_t image = stride * static_cast<uint64_t>(height);
    const uint64_t offset =
        kBmpFileHeaderSize + kBmpInfoHeaderSize + 4ull * (l.colorTableEntries + l.maskCount);
    const uint64_t file = offset + image;
    if (file > std::numeric_limits<uint32_t>::max())
        return std::nullopt;

    l.rowStride = static_cast<uint32_t>(stride);
    l.imageSize = static_cast<uint32_t>(image);
    l.pixelOffset = static_cast<uint32_t>(offset);
    l.fileSize = static_cast<uint32_t>(file);
    return l;
}

std::vector<uint8_t> BmpHeaders(const BmpLayout& layout, const std::vector<uint32_t>& table) {
    if (table.size() != layout.colorTableEntries + layout.maskCount)
        return {};
    std::vector<uint8_t> out;
    out.reserve(layout.pixelOffset);
    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    Put32(out, layout.fileSize);
    Put32(out, 0);  // two reserved words
    Put32(out, layout.pixelOffset);
    // BITMAPINFOHEADER
    Put32(out, kBmpInfoHeaderSize);
    Put32(out, static_cast<uint32_t>(layout.width));
    Put32(out, static_cast<uint32_t>(layout.height));
    Put16(out, 1);  // planes
    Put16(out, layout.bitCount);
    Put32(out, layout.compression);
    Put32(out, layout.imageSize);
    Put32(out, 0);  // horizontal resolution: not recorded
    Put32(out, 0);  // vertical resolution: not recorded
    Put32(out, layout.colorTableEntries);
    Put32(out, 0);  // every colour is important
    if (layout.maskCount != 0) {
        for (uint32_t mask : table) Put32(out, mask);
    } else {
        for (uint32_t rgb : table) {
            out.push_back(static_cast<uint8_t>(rgb));        // blue
            out.push_back(static_cast<uint8_t>(rgb >> 8));   // green
            out.push_back(static_cast<uint8_t>(rgb >> 16));  // red
            out.push_back(0);
        }
    }
    return out;
}

}  // namespace vellum
