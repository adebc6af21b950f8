#pragma once
// A captured picture brought down to at most 256 colours for GIF, without dithering, so that text
// and edges stay crisp.
#include <cstdint>
#include <vector>

#include "capture/pixel_view.h"

namespace vellum {

constexpr size_t kGifMaxPalette = 256;

struct GifIndexedPicture {
    std::vector<uint32_t> palette;  // 0xRRGGBB, 1 to 256 entries
    std::vector<uint8_t> indices;   // one per pixel, rows from the top
    bool exact = false;             // the palette holds every colour of the picture
};

// A picture of at most 256 colours keeps exactly those, in the order they first appear. Any
// other gets an adaptive palette (median cut on its colours, or on 5-bit-per-channel cells of
// them when it has thousands), each pixel mapped to a palette colour nearest to it.
// The picture must have a positive size and a stride of at least width * 4 bytes.
GifIndexedPicture QuantizeForGif(const PixelView& picture);

}  // namespace vellum
