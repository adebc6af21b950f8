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

// Who deflates the scanlines: the program's own fast coder, or zlib at a level and strategy.
enum class PngDeflater { kOwn, kZlib };

// The defaults are the measured trade-off on screens grabbed under Wine (tools/capture_bench
// --keep, encoded natively by tools/encoder_bench; 1920x1080): Up filtering deflated by the own
// coder takes 0.5-0.7 of the processor time of zlib's fastest level at 0.4-9% more bytes;
// Paeth, Sub and Average are larger, the per-row adaptive choice takes half as long again for
// 1-4%. A flat interface comes out 16% smaller unfiltered, which the retry finds. Two bands
// deflated at once take about half the wall time where a second core is free.
struct PngOptions {
    PngFilter filter = PngFilter::kUp;
    PngDeflater deflater = PngDeflater::kOwn;
    // zlib's only:
    int level = 1;  // zlib's 0 (stored) to 9; Z_RLE and Z_HUFFMAN_ONLY take 1..9 alike
    PngStrategy strategy = PngStrategy::kDefault;
    // Bands of rows deflated side by side, each in a thread of its own, and joined into one
    // zlib stream; 1 deflates in the calling thread only.
    int threads = 2;
    // A file smaller than this part of its scanlines is made again without filtering, and the
    // smaller of the two kept; 0 never tries.
    double unfilteredRetryBelow = 0.1;
};

// The complete file with the default options. Empty when the view has no pixels or a stride
// shorter than its rows, or memory runs out.
std::vector<uint8_t> EncodePng(const PixelView& picture);

// The same with chosen settings; a level outside 0..9, a thread count below 1 or a filter or
// strategy or deflater outside its enumeration gives an empty result.
std::vector<uint8_t> EncodePng(const PixelView& picture, const PngOptions& options);

}  // namespace vellum
