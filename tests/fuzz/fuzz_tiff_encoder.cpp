// The TIFF encoder: any small picture gives a file that libtiff reads, without a complaint, as
// uncompressed 8-bit RGB of the picture's size and exactly its pixels.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "capture/tiff_encoder.h"
#include "tiff_reader.h"

namespace {

void Check(bool holds) {
    if (!holds)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    // Now and then rows of more than 64 KiB, so that strips of one row are reached too.
    const bool wide = data.ConsumeIntegralInRange(0, 15) == 0;
    const int width =
        wide ? data.ConsumeIntegralInRange(21000, 23000) : data.ConsumeIntegralInRange(1, 40);
    const int height = data.ConsumeIntegralInRange(1, width > 40 ? 3 : 400);
    const size_t stride = size_t(width) * 4 + data.ConsumeIntegralInRange(0, 9);

    const std::vector<uint8_t> pattern = data.ConsumeRemainingBytes<uint8_t>();
    std::vector<uint8_t> pixels(stride * height);
    for (size_t i = 0; i < pixels.size() && !pattern.empty(); ++i)
        pixels[i] = pattern[i % pattern.size()];

    const std::vector<uint8_t> file = vellum::EncodeTiff({pixels.data(), width, height, stride});
    Check(!file.empty());
    const vellum::decoders::TiffImage image = vellum::decoders::ReadTiff(file);
    Check(image.ok);
    Check(image.width == uint32_t(width) && image.height == uint32_t(height));
    Check(image.compression == 1 && image.photometric == 2 && image.samplesPerPixel == 3 &&
          image.bitsPerSample == 8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* bgrx = pixels.data() + stride * y + size_t(x) * 4;
            const uint8_t* rgb = image.rgb.data() + (size_t(y) * width + x) * 3;
            Check(rgb[0] == bgrx[2] && rgb[1] == bgrx[1] && rgb[2] == bgrx[0]);
        }
    return 0;
}
