#include "capture/gif_encoder.h"

#include <algorithm>

#include "capture/gif_lzw.h"
#include "capture/gif_palette.h"

namespace vellum {
namespace {

constexpr int kMaxSide = 0xFFFF;
constexpr size_t kMaxSubBlock = 255;

void PutU16(std::vector<uint8_t>& out, int value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>(value >> 8 & 0xFF));
}

// The colour table holds 2^bits entries, the fewest that take the palette (at least 2).
int TableBits(size_t paletteSize) {
    int bits = 1;
    while ((size_t{1} << bits) < paletteSize) ++bits;
    return bits;
}

}  // namespace

std::vector<uint8_t> EncodeGif(const PixelView& picture) {
    if (!picture.bgrx || picture.width <= 0 || picture.height <= 0 || picture.width > kMaxSide ||
        picture.height > kMaxSide || picture.stride < static_cast<size_t>(picture.width) * 4)
        return {};

    const GifIndexedPicture indexed = QuantizeForGif(picture);
    const int bits = TableBits(indexed.palette.size());
    // Two-colour pictures still code from a minimum code size of 2, the least decoders take.
    const int minCodeSize = std::max(bits, 2);
    const std::vector<uint8_t> codes =
        GifLzwEncode(indexed.indices.data(), indexed.indices.size(), minCodeSize);

    std::vector<uint8_t> out;
    const size_t tableEntries = size_t{1} << bits;
    out.reserve(6 + 7 + 3 * tableEntries + 10 + 1 + codes.size() + codes.size() / kMaxSubBlock + 3);
    const char header[] = "GIF89a";
    out.insert(out.end(), header, header + 6);

    // Logical screen: the picture's size; a global table of 8-bit primaries, unsorted.
    PutU16(out, picture.width);
    PutU16(out, picture.height);
    out.push_back(static_cast<uint8_t>(0x80 | 7 << 4 | (bits - 1)));
    out.push_back(0);  // background colour index
    out.push_back(0);  // no pixel aspect ratio given
    for (size_t i = 0; i < tableEntries; ++i) {
        const uint32_t colour = i < indexed.palette.size() ? indexed.palette[i] : 0;
        out.push_back(static_cast<uint8_t>(colour >> 16));
        out.push_back(static_cast<uint8_t>(colour >> 8));
        out.push_back(static_cast<uint8_t>(colour));
    }

    // One image over the whole screen, no local table, not interlaced.
    out.push_back(0x2C);
    PutU16(out, 0);
    PutU16(out, 0);
    PutU16(out, picture.width);
    PutU16(out, picture.height);
    out.push_back(0);

    out.push_back(static_cast<uint8_t>(minCodeSize));
    for (size_t at = 0; at < codes.size(); at += kMaxSubBlock) {
        const size_t length = std::min(kMaxSubBlock, codes.size() - at);
        out.push_back(static_cast<uint8_t>(length));
        out.insert(out.end(), codes.begin() + static_cast<ptrdiff_t>(at),
                   codes.begin() + static_cast<ptrdiff_t>(at + length));
    }
    out.push_back(0);  // block terminator

    out.push_back(0x3B);  // trailer
    return out;
}

}  // namespace vellum
