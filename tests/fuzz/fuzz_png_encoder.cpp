// The PNG encoder: any small picture, with any filter, level, strategy and number of bands,
// gives a file that libpng reads back (CRCs and Adler-32 checked) to exactly its pixels.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "capture/png_encoder.h"
#include "png_reader.h"

namespace {

void Check(bool holds) {
    if (!holds)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    const int width = data.ConsumeIntegralInRange(1, 40);
    const int height = data.ConsumeIntegralInRange(1, 40);
    const size_t stride = size_t(width) * 4 + data.ConsumeIntegralInRange(0, 9);
    vellum::PngOptions options;
    options.filter = static_cast<vellum::PngFilter>(data.ConsumeIntegralInRange(0, 5));
    options.level = data.ConsumeIntegralInRange(0, 9);
    options.strategy = static_cast<vellum::PngStrategy>(data.ConsumeIntegralInRange(0, 3));
    options.threads = data.ConsumeIntegralInRange(1, 3);

    // The rest of the input, repeated, fills the rows, padding and unused bytes included.
    const std::vector<uint8_t> pattern = data.ConsumeRemainingBytes<uint8_t>();
    std::vector<uint8_t> pixels(stride * height);
    for (size_t i = 0; i < pixels.size() && !pattern.empty(); ++i)
        pixels[i] = pattern[i % pattern.size()];

    const std::vector<uint8_t> file =
        vellum::EncodePng({pixels.data(), width, height, stride}, options);
    Check(!file.empty());
    const vellum::decoders::PngImage image = vellum::decoders::ReadPng(file);
    Check(image.ok);
    Check(image.width == uint32_t(width) && image.height == uint32_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* bgrx = pixels.data() + stride * y + size_t(x) * 4;
            const uint8_t* rgb = image.rgb.data() + (size_t(y) * width + x) * 3;
            Check(rgb[0] == bgrx[2] && rgb[1] == bgrx[1] && rgb[2] == bgrx[0]);
        }
    return 0;
}
