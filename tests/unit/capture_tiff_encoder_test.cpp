#include "capture/tiff_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "synthetic_pictures.h"
#include "tiff_reader.h"

namespace vellum {
namespace {

using testing::Picture;

// Random colours from `seed`, or one colour for seed 0, with junk in the unused byte and past
// each row.
Picture MakePicture(int w, int h, size_t padding, uint32_t seed) {
    Picture p(w, h, padding, 0x5A);
    testing::XorShift random(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.Set(x, y, seed ? random.Next() : 0xE08020u, static_cast<uint8_t>(x + y));
    return p;
}

TEST(TiffEncoder, LibtiffReadsTheBaselineTagsAndEveryPixel) {
    const struct {
        int w, h;
        size_t padding;
        uint32_t seed;  // 0: one colour
    } cases[] = {
        {1, 1, 0, 7},        {1, 1000, 4, 7}, {1000, 1, 0, 7},  {3, 3, 20, 7},
        {1921, 1081, 12, 7}, {64, 64, 0, 0},  {30000, 3, 0, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        const Picture picture = MakePicture(c.w, c.h, c.padding, c.seed);
        const std::vector<uint8_t> file = EncodeTiff(picture.View());
        ASSERT_FALSE(file.empty());
        const decoders::TiffImage image = decoders::ReadTiff(file);
        ASSERT_TRUE(image.ok) << image.problem;
        EXPECT_TRUE(image.littleEndian);
        EXPECT_EQ(image.width, uint32_t(c.w));
        EXPECT_EQ(image.height, uint32_t(c.h));
        EXPECT_EQ(image.compression, 1);  // none
        EXPECT_EQ(image.samplesPerPixel, 3);
        EXPECT_EQ(image.bitsPerSample, 8);
        EXPECT_EQ(image.photometric, 2);  // RGB
        EXPECT_EQ(image.planar, 1);       // samples of a pixel together
        EXPECT_EQ(image.resolutionUnit, 2);
        EXPECT_EQ(image.xResolution, 96.0f);
        EXPECT_EQ(image.yResolution, 96.0f);
        EXPECT_TRUE(image.rgb == picture.RgbBytes()) << "pixels differ";
    }
}

uint32_t Get16(const std::vector<uint8_t>& f, size_t at) {
    return f[at] | f[at + 1] << 8;
}
uint32_t Get32(const std::vector<uint8_t>& f, size_t at) {
    return Get16(f, at) | Get16(f, at + 2) << 16;
}

TEST(TiffEncoder, DirectoryIsSortedAlignedAndStripsHoldAbout64KiB) {
    const struct { int w, h; } sizes[] = {{1, 1}, {1000, 1}, {1000, 100}, {1920, 1080}, {30000, 3}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.w) + "x" + std::to_string(size.h));
        const Picture picture = MakePicture(size.w, size.h, 0, 3);
        const std::vector<uint8_t> f = EncodeTiff(picture.View());
        ASSERT_GT(f.size(), 8u);
        EXPECT_EQ(std::string(f.begin(), f.begin() + 4), std::string("II*\0", 4));
        const uint32_t ifd = Get32(f, 4);
        ASSERT_EQ(ifd % 2, 0u);
        ASSERT_LE(ifd + 2, f.size());
        const uint32_t entries = Get16(f, ifd);
        ASSERT_LE(ifd + 2 + 12 * entries + 4, f.size());
        EXPECT_EQ(Get32(f, ifd + 2 + 12 * entries), 0u) << "a second directory";

        uint32_t previousTag = 0, strips = 0, rowsPerStrip = 0, offsetsAt = 0, countsAt = 0;
        for (uint32_t i = 0; i < entries; ++i) {
            const size_t e = ifd + 2 + 12 * i;
            const uint32_t tag = Get16(f, e), type = Get16(f, e + 2), count = Get32(f, e + 4);
            EXPECT_GT(tag, previousTag) << "tags out of order";
            previousTag = tag;
            const uint32_t unit = type == 3 ? 2 : type == 4 ? 4 : type == 5 ? 8 : 0;
            ASSERT_NE(unit, 0u) << "tag " << tag << " of type " << type;
            if (uint64_t{unit} * count > 4) {
                EXPECT_EQ(Get32(f, e + 8) % 2, 0u) << "tag " << tag << "'s values at an odd offset";
                EXPECT_LE(uint64_t{Get32(f, e + 8)} + uint64_t{unit} * count, f.size());
            }
            if (tag == 273) {
                strips = count;
                offsetsAt = count > 1 ? Get32(f, e + 8) : uint32_t(e + 8);
            } else if (tag == 279) {
                EXPECT_EQ(count, strips);
                countsAt = count > 1 ? Get32(f, e + 8) : uint32_t(e + 8);
            } else if (tag == 278) {
                rowsPerStrip = Get32(f, e + 8);
            }
        }
        const std::vector<uint32_t> expectedTags = {256, 257, 258, 259, 262, 273, 277,
                                                    278, 279, 282, 283, 284, 296};
        EXPECT_EQ(entries, expectedTags.size());

        // The strips follow one another to the end of the file; each as many whole rows as fit
        // in 64 KiB (at least one), the last the rest.
        const uint64_t rowBytes = uint64_t{3} * size.w;
        ASSERT_GE(rowsPerStrip, 1u);
        EXPECT_TRUE(rowsPerStrip * rowBytes <= 65536 || rowsPerStrip == 1);
        EXPECT_TRUE((rowsPerStrip + 1) * rowBytes > 65536 || rowsPerStrip >= uint32_t(size.h));
        ASSERT_EQ(strips, (uint32_t(size.h) + rowsPerStrip - 1) / rowsPerStrip);
        uint64_t next = Get32(f, offsetsAt);
        for (uint32_t s = 0; s < strips; ++s) {
            EXPECT_EQ(Get32(f, offsetsAt + 4 * s), next) << "strip " << s;
            const uint64_t rows =
                std::min<uint64_t>(rowsPerStrip, size.h - uint64_t{s} * rowsPerStrip);
            EXPECT_EQ(Get32(f, countsAt + 4 * s), rows * rowBytes) << "strip " << s;
            next += rows * rowBytes;
        }
        EXPECT_EQ(next, f.size());
        EXPECT_EQ(next - Get32(f, offsetsAt), rowBytes * size.h);
    }
}

TEST(TiffEncoder, RejectsEmptyViewsAndFilesBeyondFourGigabytes) {
    const uint8_t pixels[64] = {};
    const PixelView views[] = {
        {nullptr, 2, 2, 8},
        {pixels, 0, 2, 8},
        {pixels, 2, 0, 8},
        {pixels, -1, 2, 8},
        {pixels, 2, -1, 8},
        {pixels, 2, 2, 7},
        // 4.8 GB of pixels: refused before a pixel is read.
        {pixels, 40000, 40000, 160000},
    };
    for (const PixelView& view : views) EXPECT_TRUE(EncodeTiff(view).empty());
    EXPECT_FALSE(EncodeTiff({pixels, 2, 2, 8}).empty());
}

}  // namespace
}  // namespace vellum
