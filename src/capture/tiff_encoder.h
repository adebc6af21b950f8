#pragma once
// Baseline TIFF files of captured pictures: little-endian, uncompressed 8-bit RGB in strips.
#include <cstdint>
#include <vector>

#include "capture/pixel_view.h"

namespace vellum {

// Rows go into strips of at most this many bytes (at least one row each).
constexpr uint32_t kTiffStripBytes = 64 * 1024;

// The complete file, at 96 pixels per inch. Empty when the view has no pixels or a stride shorter
// than its rows, when the file would pass the format's 4 GiB, or when memory runs out.
std::vector<uint8_t> EncodeTiff(const PixelView& picture);

}  // namespace vellum
