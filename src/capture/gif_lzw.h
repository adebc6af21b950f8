#pragma once
// GIF's variable-width LZW coding of palette indices.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vellum {

constexpr int kGifMaxCodeBits = 12;  // the code table holds 4096 entries

// The code stream for `count` indices, each below 2^minCodeSize (minCodeSize 2..8), packed least
// significant bit first, as the image data's sub-blocks carry it (without their length bytes): a
// clear code first and again whenever the table fills, the end-of-information code last.
std::vector<uint8_t> GifLzwEncode(const uint8_t* indices, size_t count, int minCodeSize);

}  // namespace vellum
