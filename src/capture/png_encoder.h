#pragma once
// PNG files of captured pictures: 8-bit RGB, filtered scanlines deflated with zlib.
#include <cstdint>
#include <vector>

#include "capture/pixel_view.h"

namespace vellum {

// The scanline filters by their type byte; kAdaptive picks one per row, the one whose bytes,
// read as signed, have the least sum of magnitudes (ties go to the lower type).
enum class PngFilter { kNone, kSub, kUp, kAverage, kPaeth, kAdaptive };

// zlib's strategies: Z_DEFAULT_STRATEGY, Z_FILTERED, Z_RLE, Z_HUFFMAN_ONLY.
enum class PngStrategy { kDefault, kFiltered, kRle, kHuffmanOnly };

// The defaults are the measured trade-off on screens grabbed under Wine (tools/capture_bench
// --keep, encoded natively; 1920x1080): Up with zlib's ordinary matching at level 1 makes files
// 22% smaller than Paeth with run-length matching on text beside a photo, 23% on a plain
// interface and 28% on noise, in about the same processor time; Paeth and Sub are larger, the
// per-row adaptive choice takes half as long again for no gain, and levels 3 to 6 save another
// 1-16% at one and a half to three times the time. Two bands deflated at once take about 40%
// less wall time where a second core is free.
struct PngOptions {
    PngFilter filter = PngFilter::kUp;
    int level = 1;  // zlib's 0 (stored) to 9; Z_RLE and Z_HUFFMAN_ONLY take 1..9 alike
    PngStrategy strategy = PngStrategy::kDefault;
    // Bands of rows deflated side by side, each in a thread of its own, and joined into one
    // zlib stream; 1 deflates in the calling thread only.
    int threads = 2;
};

// The complete file with the default options. Empty when the view has no pixels or a stride
// shorter than its rows, or memory runs out.
std::vector<uint8_t> EncodePng(const PixelView& picture);

// The same with chosen settings; a level outside 0..9, a thread count below 1 or a filter or
// strategy outside its enumeration gives an empty result.
std::vector<uint8_t> EncodePng(const PixelView& picture, const PngOptions& options);

}  // namespace vellum
