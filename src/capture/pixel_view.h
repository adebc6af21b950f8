#pragma once
// A captured picture as the encoders read it: top-down rows of 32-bit pixels in the order the
// screen grab gives them (bytes blue, green, red, unused), `stride` bytes from one row to the next.
#include <cstddef>
#include <cstdint>

namespace vellum {

struct PixelView {
    const uint8_t* bgrx = nullptr;
    int width = 0;
    int height = 0;
    size_t stride = 0;

    const uint8_t* Row(int y) const { return bgrx + static_cast<size_t>(y) * stride; }
};

}  // namespace vellum
