#include "capture/tiff_encoder.h"

#include <algorithm>
#include <exception>
#include <limits>

namespace vellum {
namespace {

constexpr uint16_t kShort = 3;
constexpr uint16_t kLong = 4;
constexpr uint16_t kRational = 5;
constexpr uint32_t kEntryCount = 13;
constexpr uint32_t kIfdOffset = 8;
constexpr uint32_t kIfdBytes = 2 + 12 * kEntryCount + 4;
constexpr uint32_t kPixelsPerInch = 96;

// Writes little-endian values at a cursor that moves on.
class Writer {
  public:
    explicit Writer(uint8_t* at) : at_(at) {}

    void Put16(uint32_t v) {
        *at_++ = static_cast<uint8_t>(v);
        *at_++ = static_cast<uint8_t>(v >> 8);
    }

    void Put32(uint32_t v) {
        Put16(v & 0xFFFF);
        Put16(v >> 16);
    }

    // A value of four bytes or less sits in the entry itself, from its first byte; for a single
    // SHORT that is the low half of a little-endian LONG.
    void Entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t valueOrOffset) {
        Put16(tag);
        Put16(type);
        Put32(count);
        Put32(valueOrOffset);
    }

    uint8_t* at() const { return at_; }

  private:
    uint8_t* at_;
};

}  // namespace

std::vector<uint8_t> EncodeTiff(const PixelView& picture) {
    if (!picture.bgrx || picture.width <= 0 || picture.height <= 0 ||
        picture.stride / 4 < static_cast<size_t>(picture.width))
        return {};
    const uint64_t rowBytes = uint64_t{3} * picture.width;
    const uint64_t height = static_cast<uint64_t>(picture.height);
    const uint64_t rowsPerStrip =
        std::min(height, std::max<uint64_t>(1, kTiffStripBytes / rowBytes));
    const uint64_t strips = (height + rowsPerStrip - 1) / rowsPerStrip;
    const uint64_t pixelBytes = rowBytes * height;

    // Header, directory, the values too long for their entries (all at even offsets), pixels.
    const uint64_t bitsAt = kIfdOffset + kIfdBytes;
    const uint64_t xResolutionAt = bitsAt + 6;
    const uint64_t yResolutionAt = xResolutionAt + 8;
    const uint64_t offsetsAt = yResolutionAt + 8;
    const uint64_t countsAt = offsetsAt + (strips > 1 ? 4 * strips : 0);
    const uint64_t pixelsAt = countsAt + (strips > 1 ? 4 * strips : 0);
    const uint64_t fileBytes = pixelsAt + pixelBytes;
    if (fileBytes > std::numeric_limits<uint32_t>::max() || fileBytes > SIZE_MAX)
        return {};
    const auto at32 = [](uint64_t v) { return static_cast<uint32_t>(v); };

    std::vector<uint8_t> file;
    try {
        file.resize(static_cast<size_t>(fileBytes));
    } catch (const std::exception&) {
        return {};  // out of memory
    }
    Writer w(file.data());
    w.Put16('I' | 'I' << 8);
    w.Put16(42);
    w.Put32(kIfdOffset);

    w.Put16(kEntryCount);
    w.Entry(256, kLong, 1, at32(picture.width));  // ImageWidth
    w.Entry(257, kLong, 1, at32(height));         // ImageLength
    w.Entry(258, kShort, 3, at32(bitsAt));        // BitsPerSample
    w.Entry(259, kShort, 1, 1);                   // Compression: none
    w.Entry(262, kShort, 1, 2);                   // PhotometricInterpretation: RGB
    w.Entry(273, kLong, at32(strips), at32(strips > 1 ? offsetsAt : pixelsAt));   // StripOffsets
    w.Entry(277, kShort, 1, 3);                                                   // SamplesPerPixel
    w.Entry(278, kLong, 1, at32(rowsPerStrip));                                   // RowsPerStrip
    w.Entry(279, kLong, at32(strips), at32(strips > 1 ? countsAt : pixelBytes));  // StripByteCounts
    w.Entry(282, kRational, 1, at32(xResolutionAt));                              // XResolution
    w.Entry(283, kRational, 1, at32(yResolutionAt));                              // YResolution
    w.Entry(284, kShort, 1, 1);  // PlanarConfiguration: RGB together
    w.Entry(296, kShort, 1, 2);  // ResolutionUnit: inch
    w.Put32(0);                  // no further directory

    for (int i = 0; i < 3; ++i) w.Put16(8);
    for (int i = 0; i < 2; ++i) {
        w.Put32(kPixelsPerInch);
        w.Put32(1);
    }
    if (strips > 1) {
        for (uint64_t s = 0; s < strips; ++s) w.Put32(at32(pixelsAt + s * rowsPerStrip * rowBytes));
        for (uint64_t s = 0; s < strips; ++s) {
            const uint64_t rows = std::min(rowsPerStrip, height - s * rowsPerStrip);
            w.Put32(at32(rows * rowBytes));
        }
    }

    uint8_t* rgb = w.at();
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* bgrx = picture.Row(y);
        for (int x = 0; x < picture.width; ++x, bgrx += 4, rgb += 3) {
            rgb[0] = bgrx[2];
            rgb[1] = bgrx[1];
            rgb[2] = bgrx[0];
        }
    }
    return file;
}

}  // namespace vellum
