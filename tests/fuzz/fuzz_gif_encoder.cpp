// The GIF encoder: any small picture gives a file that giflib reads back to its size, to exactly
// its pixels when it has at most 256 colours (under the smallest table that holds them), and
// otherwise to table colours each close to the nearest one the table has for that pixel.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "capture/gif_encoder.h"
#include "fuzz_check.h"
#include "gif_reader.h"
#include "synthetic_pictures.h"

namespace {

using vellum::testing::Channel;
using vellum::testing::Check;
using vellum::testing::Distance2;

// How much farther the decoded colour lies from each pixel than the table's nearest colour, at
// most. Left out of the coverage feedback: its comparisons would only slow the search.
__attribute__((no_sanitize("coverage"))) double FarthestFromNearest(
    const std::vector<uint32_t>& original, const vellum::decoders::GifImage& image) {
    std::vector<int> table[3];
    for (const uint32_t t : image.table)
        for (int k = 0; k < 3; ++k) table[k].push_back(Channel(t, k));
    double farthest = 0;
    for (size_t i = 0; i < original.size(); ++i) {
        const int r = Channel(original[i], 0), g = Channel(original[i], 1),
                  b = Channel(original[i], 2);
        int nearest = 3 * 255 * 255;
        for (size_t t = 0; t < table[0].size(); ++t) {
            const int dr = table[0][t] - r, dg = table[1][t] - g, db = table[2][t] - b;
            nearest = std::min(nearest, dr * dr + dg * dg + db * db);
        }
        farthest = std::max(farthest,
                            std::sqrt(Distance2(original[i], image.rgb[i])) - std::sqrt(nearest));
    }
    return farthest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    // Up to 6400 pixels: past 4096 colours the quantizer works on cells instead of colours.
    const int width = data.ConsumeIntegralInRange(1, 80);
    const int height = data.ConsumeIntegralInRange(1, 80);
    const int padding = data.ConsumeIntegralInRange(0, 9);
    // The pixels pick from `count` colours a generator makes, `spread` apart at most per channel
    // around a base colour, so that near neighbours and exact repeats both come up; with
    // `raw` they are the input's bytes themselves.
    const bool raw = data.ConsumeBool();
    const int count = data.ConsumeIntegralInRange(1, 8192);
    const int spread = data.ConsumeIntegralInRange(0, 255);
    vellum::testing::XorShift random(data.ConsumeIntegral<uint32_t>() | 1);
    const uint32_t base = random.Next() & 0xFFFFFF;
    std::vector<uint32_t> colours(static_cast<size_t>(count));
    for (uint32_t& c : colours) {
        c = 0;
        for (int k = 0; k < 3; ++k) {
            const int v =
                Channel(base, k) + static_cast<int>(random.Next() % (spread + 1u)) - spread / 2;
            c = c << 8 | static_cast<uint32_t>(std::clamp(v, 0, 255));
        }
    }
    const std::vector<uint8_t> pattern = data.ConsumeRemainingBytes<uint8_t>();

    // The unused bytes and the padding from the generator too.
    vellum::testing::Picture picture(width, height, size_t(padding), random);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t i = size_t(y) * width + x;
            if (raw && !pattern.empty()) {
                // Blue, green and red in the order the input has them.
                const auto at = [&](int k) {
                    return uint32_t{pattern[(i * 3 + k) % pattern.size()]};
                };
                picture.Set(x, y, at(2) << 16 | at(1) << 8 | at(0));
            } else {
                size_t pick = i;
                if (!pattern.empty())
                    pick = pattern[i % pattern.size()] | pattern[(i + 1) % pattern.size()] << 8;
                picture.Set(x, y, colours[pick % colours.size()]);
            }
        }
    }
    const std::vector<uint32_t> original = picture.Pixels();
    std::vector<uint32_t> sorted = original;
    std::sort(sorted.begin(), sorted.end());
    const size_t distinct = std::unique(sorted.begin(), sorted.end()) - sorted.begin();

    const std::vector<uint8_t> file = vellum::EncodeGif(picture.View());
    const vellum::decoders::GifImage image = vellum::decoders::ReadGif(file);
    Check(image.ok);
    Check(image.width == width && image.height == height);
    Check(image.rgb.size() == original.size());
    if (distinct <= 256) {
        Check(image.table.size() >= distinct &&
              (image.table.size() == 2 || image.table.size() / 2 < distinct));
        Check(image.rgb == original);
        return 0;
    }
    Check(image.table.size() == 256);
    // The lookup goes by the mean of the pixel's 5-bit cell, at most 7 * sqrt(3) from the pixel,
    // so each pixel's colour lies within twice that of the nearest one in the table.
    Check(FarthestFromNearest(original, image) <= 2 * 7 * std::sqrt(3.0));
    return 0;
}
