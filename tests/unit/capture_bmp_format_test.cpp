#include "capture/bmp_format.h"

#include <gtest/gtest.h>

namespace vellum {
namespace {

struct LayoutCase {
    int32_t w, h;
    uint16_t bpp;
    uint32_t compression, stride, entries, masks, offset, image, file;
};

TEST(BmpFormat, LayoutPadsRowsAndPlacesTheColourTable) {
    const LayoutCase cases[] = {
        {1, 1, 1, 0, 4, 2, 0, 62, 4, 66},
        {33, 2, 1, 0, 8, 2, 0, 62, 16, 78},
        {7, 5, 4, 0, 4, 16, 0, 118, 20, 138},
        {9, 1, 4, 0, 8, 16, 0, 118, 8, 126},
        {3, 2, 8, 0, 4, 256, 0, 1078, 8, 1086},
        {3, 2, 16, 3, 8, 0, 3, 66, 16, 82},
        {3, 2, 24, 0, 12, 0, 0, 54, 24, 78},
        {5, 3, 24, 0, 16, 0, 0, 54, 48, 102},
        {1920, 1080, 32, 0, 7680, 0, 0, 54, 8294400, 8294454},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " at " +
                     std::to_string(c.bpp));
        const auto l = PlanBmp(c.w, c.h, c.bpp);
        ASSERT_TRUE(l.has_value());
        EXPECT_EQ(l->compression, c.compression);
        EXPECT_EQ(l->rowStride, c.stride);
        EXPECT_EQ(l->colorTableEntries, c.entries);
        EXPECT_EQ(l->maskCount, c.masks);
        EXPECT_EQ(l->pixelOffset, c.offset);
        EXPECT_EQ(l->imageSize, c.image);
        EXPECT_EQ(l->fileSize, c.file);
    }
}

TEST(BmpFormat, RejectsEmptySizesOddDepthsAndFilesBeyondFourGigabytes) {
    EXPECT_FALSE(PlanBmp(0, 5, 24));
    EXPECT_FALSE(PlanBmp(5, 0, 24));
    EXPECT_FALSE(PlanBmp(-5, 5, 24));
    EXPECT_FALSE(PlanBmp(5, -5, 24));
    EXPECT_FALSE(PlanBmp(5, 5, 2));
    EXPECT_FALSE(PlanBmp(5, 5, 15));
    EXPECT_FALSE(PlanBmp(5, 5, 0));
    EXPECT_FALSE(PlanBmp(65536, 65536, 32));
    EXPECT_TRUE(PlanBmp(32767, 32767, 32));  // 4,294,705,156 bytes of rows plus headers fits
}

TEST(BmpFormat, HeadersOfA24BitPicture) {
    const auto l = PlanBmp(3, 2, 24);
    ASSERT_TRUE(l);
    const std::vector<uint8_t> expected = {
        'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
        40,  0,   0,  0, 3, 0, 0, 0, 2, 0, 0,  0, 1, 0, 24, 0, 0, 0, 0, 0, 24, 0, 0, 0,  //
        0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0,
    };
    EXPECT_EQ(BmpHeaders(*l, {}), expected);
}

TEST(BmpFormat, ColourTableIsBlueGreenRedZeroAndMasksFollowTheInfoHeader) {
    const auto mono = PlanBmp(1, 1, 1);
    ASSERT_TRUE(mono);
    const auto monoBytes = BmpHeaders(*mono, {0x000000, 0xFF8040});
    ASSERT_EQ(monoBytes.size(), 62u);
    EXPECT_EQ(monoBytes[28], 1);  // biBitCount
    EXPECT_EQ(monoBytes[46], 2);  // biClrUsed
    const std::vector<uint8_t> table(monoBytes.begin() + 54, monoBytes.end());
    EXPECT_EQ(table, (std::vector<uint8_t>{0, 0, 0, 0, 0x40, 0x80, 0xFF, 0}));

    const auto high = PlanBmp(2, 2, 16);
    ASSERT_TRUE(high);
    const auto highBytes = BmpHeaders(*high, {0xF800, 0x07E0, 0x001F});
    ASSERT_EQ(highBytes.size(), 66u);
    EXPECT_EQ(highBytes[30], 3);  // BI_BITFIELDS
    const std::vector<uint8_t> masks(highBytes.begin() + 54, highBytes.end());
    EXPECT_EQ(masks, (std::vector<uint8_t>{0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}));
}

TEST(BmpFormat, TableOfTheWrongSizeGivesNoHeaders) {
    EXPECT_TRUE(BmpHeaders(*PlanBmp(1, 1, 1), {0}).empty());
    EXPECT_TRUE(BmpHeaders(*PlanBmp(1, 1, 16), {}).empty());
    EXPECT_TRUE(BmpHeaders(*PlanBmp(1, 1, 24), {0}).empty());
}

}  // namespace
}  // namespace vellum
