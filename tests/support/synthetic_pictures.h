#pragma once
// Pictures of known pixels in the screen grab's layout, for the encoders' unit tests, their fuzz
// targets and their benchmark. Plain C++ without the platform, so that the native, fuzz and
// Windows trees all build it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "capture/pixel_view.h"

namespace vellum::testing {

// Small, fast and the same everywhere, unlike the standard distributions: the tests' expected
// figures and the benchmark's screens depend on its exact sequence.
class XorShift {
  public:
    // Zero would give zeros forever.
    explicit XorShift(uint32_t seed) : state_(seed ? seed : 1) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }

  private:
    uint32_t state_;
};

// 0xRRGGBB of channels clamped to 0..255.
inline uint32_t Rgb(int r, int g, int b) {
    const auto clamp = [](int v) { return static_cast<uint32_t>(std::min(255, std::max(0, v))); };
    return clamp(r) << 16 | clamp(g) << 8 | clamp(b);
}

// Channel k of 0xRRGGBB: 0 red, 1 green, 2 blue.
inline int Channel(uint32_t rgb, int k) {
    return static_cast<int>(rgb >> (16 - 8 * k) & 0xFF);
}

// The squared distance of two colours.
inline int Distance2(uint32_t a, uint32_t b) {
    int d = 0;
    for (int k = 0; k < 3; ++k)
        d += (Channel(a, k) - Channel(b, k)) * (Channel(a, k) - Channel(b, k));
    return d;
}

// A grabbed picture: top-down rows of blue, green, red and a fourth byte the grab leaves
// undefined, `padding` bytes past each row's end. The encoders must read neither the fourth byte
// nor the padding, so the constructors fill both with junk.
struct Picture {
    // Every byte `fill`.
    Picture(int w, int h, size_t padding, uint8_t fill)
        : width(w),
          height(h),
          stride(static_cast<size_t>(w) * 4 + padding),
          bytes(stride * static_cast<size_t>(h), fill) {}

    // Every byte the low byte of the generator's next number, row after row.
    Picture(int w, int h, size_t padding, XorShift& junk) : Picture(w, h, padding, 0) {
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(junk.Next());
    }

    uint8_t* At(int x, int y) {
        return bytes.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 4;
    }
    const uint8_t* At(int x, int y) const {
        return bytes.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 4;
    }

    // The pixel's colour; its fourth byte stays as it is.
    void Set(int x, int y, uint32_t rgb) {
        uint8_t* p = At(x, y);
        p[0] = static_cast<uint8_t>(rgb);
        p[1] = static_cast<uint8_t>(rgb >> 8);
        p[2] = static_cast<uint8_t>(rgb >> 16);
    }
    void Set(int x, int y, uint32_t rgb, uint8_t unused) {
        Set(x, y, rgb);
        At(x, y)[3] = unused;
    }

    // Every pixel's colour from its position.
    void Fill(const std::function<uint32_t(int x, int y)>& colour) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) Set(x, y, colour(x, y));
    }

    uint32_t Colour(int x, int y) const {
        const uint8_t* p = At(x, y);
        return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }

    // The colours as 0xRRGGBB, row after row.
    std::vector<uint32_t> Pixels() const {
        std::vector<uint32_t> pixels;
        pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) pixels.push_back(Colour(x, y));
        return pixels;
    }

    // The colours as libpng and libtiff give them: red, green and blue bytes, row after row.
    std::vector<uint8_t> RgbBytes() const {
        std::vector<uint8_t> rgb;
        rgb.reserve(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = At(x, y);
                rgb.insert(rgb.end(), {p[2], p[1], p[0]});
            }
        return rgb;
    }

    PixelView View() const { return {bytes.data(), width, height, stride}; }

    int width, height;
    size_t stride;
    std::vector<uint8_t> bytes;
};

// What a fuzz target encodes: every byte of the picture, padding and fourth bytes included, from
// the input's `pattern` over and over; zeros when the input had no bytes left for it.
inline Picture PictureFromFuzzBytes(int width, int height, size_t padding,
                                    const std::vector<uint8_t>& pattern) {
    Picture picture(width, height, padding, 0);
    for (size_t i = 0; i < picture.bytes.size() && !pattern.empty(); ++i)
        picture.bytes[i] = pattern[i % pattern.size()];
    return picture;
}

}  // namespace vellum::testing
