#pragma once
// GIF89a files of captured pictures, written without the platform's encoder.
#include <cstdint>
#include <vector>

#include "capture/pixel_view.h"

namespace vellum {

// The picture as a GIF89a file: one image under a global colour table of the picture's own
// colours (all of them when it has at most 256, else an adaptive palette; see gif_palette.h).
// Empty when the picture has no pixels, a side longer than 65535 or a stride shorter than a row.
std::vector<uint8_t> EncodeGif(const PixelView& picture);

}  // namespace vellum
