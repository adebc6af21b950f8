// The PNG encoder: any small picture, with any filter, coder, level, strategy and number of bands,
// gives a file that libpng reads back (CRCs and Adler-32 checked) to exactly its pixels.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "capture/png_encoder.h"
#include "fuzz_check.h"
#include "png_reader.h"
#include "synthetic_pictures.h"

using vellum::testing::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    const int width = data.ConsumeIntegralInRange(1, 40);
    const int height = data.ConsumeIntegralInRange(1, 40);
    const int padding = data.ConsumeIntegralInRange(0, 9);
    vellum::PngOptions options;
    options.filter = static_cast<vellum::PngFilter>(data.ConsumeIntegralInRange(0, 5));
    options.deflater = static_cast<vellum::PngDeflater>(data.ConsumeIntegralInRange(0, 1));
    options.level = data.ConsumeIntegralInRange(0, 9);
    options.strategy = static_cast<vellum::PngStrategy>(data.ConsumeIntegralInRange(0, 3));
    options.threads = data.ConsumeIntegralInRange(1, 3);

    // The rest of the input, repeated, fills the rows, padding and unused bytes included.
    const vellum::testing::Picture picture = vellum::testing::PictureFromFuzzBytes(
        width, height, size_t(padding), data.ConsumeRemainingBytes<uint8_t>());

    const std::vector<uint8_t> file = vellum::EncodePng(picture.View(), options);
    Check(!file.empty());
    const vellum::decoders::PngImage image = vellum::decoders::ReadPng(file);
    Check(image.ok);
    Check(image.width == uint32_t(width) && image.height == uint32_t(height));
    Check(image.rgb == picture.RgbBytes());
    return 0;
}
