// The TIFF encoder: any small picture gives a file that libtiff reads, without a complaint, as
// uncompressed 8-bit RGB of the picture's size and exactly its pixels.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "capture/tiff_encoder.h"
#include "fuzz_check.h"
#include "synthetic_pictures.h"
#include "tiff_reader.h"

using vellum::testing::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    // Now and then rows of more than 64 KiB, so that strips of one row are reached too.
    const bool wide = data.ConsumeIntegralInRange(0, 15) == 0;
    const int width =
        wide ? data.ConsumeIntegralInRange(21000, 23000) : data.ConsumeIntegralInRange(1, 40);
    const int height = data.ConsumeIntegralInRange(1, width > 40 ? 3 : 400);
    const int padding = data.ConsumeIntegralInRange(0, 9);
    const vellum::testing::Picture picture = vellum::testing::PictureFromFuzzBytes(
        width, height, size_t(padding), data.ConsumeRemainingBytes<uint8_t>());

    const std::vector<uint8_t> file = vellum::EncodeTiff(picture.View());
    Check(!file.empty());
    const vellum::decoders::TiffImage image = vellum::decoders::ReadTiff(file);
    Check(image.ok);
    Check(image.width == uint32_t(width) && image.height == uint32_t(height));
    Check(image.compression == 1 && image.photometric == 2 && image.samplesPerPixel == 3 &&
          image.bitsPerSample == 8);
    Check(image.rgb == picture.RgbBytes());
    return 0;
}
