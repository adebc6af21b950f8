#include "capture/png_encoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "png_reader.h"
#include "synthetic_pictures.h"

namespace vellum {
namespace {

using testing::Picture;
using testing::XorShift;

// The unused fourth byte differs from pixel to pixel, and the bytes past each row hold junk, which
// the encoder must not take for pixels.
uint8_t Junk(int x, int y) {
    return static_cast<uint8_t>(x * 7 + y);
}

Picture Noise(int w, int h, size_t padding = 12) {
    Picture p(w, h, padding, 0xA5);
    XorShift random(0x9E3779B9u ^ static_cast<uint32_t>(w * 31 + h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.Set(x, y, random.Next() & 0xFFFFFF, Junk(x, y));
    return p;
}

// Flat panels, edges and a noisy corner, as a screen has: long runs and matches for deflate.
Picture ScreenLike(int w, int h) {
    Picture p(w, h, 8, 0xA5);
    XorShift random(12345);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t rgb = (y / 16) % 2 ? 0xF0F0F0 : 0x2D2D30;
            if (x % 40 == 0 || y % 23 == 0)
                rgb = 0x0078D4;
            if (x > w / 2 && y > h / 2)
                rgb = random.Next() & 0x3F3F3F;
            p.Set(x, y, rgb, Junk(x, y));
        }
    return p;
}

struct Chunk {
    std::string type;
    std::vector<uint8_t> data;
};

uint32_t Get32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// The file's chunks after the signature, each with its CRC checked.
std::vector<Chunk> Chunks(const std::vector<uint8_t>& file) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_GE(file.size(), 8u);
    EXPECT_EQ(std::memcmp(file.data(), kSignature, 8), 0);
    std::vector<Chunk> chunks;
    size_t at = 8;
    while (at + 12 <= file.size()) {
        const uint32_t length = Get32(&file[at]);
        if (length > file.size() - at - 12) {
            ADD_FAILURE() << "chunk at " << at << " runs past the end";
            return chunks;
        }
        Chunk c{std::string(file.begin() + at + 4, file.begin() + at + 8),
                std::vector<uint8_t>(file.begin() + at + 8, file.begin() + at + 8 + length)};
        EXPECT_EQ(Get32(&file[at + 8 + length]), crc32(0, &file[at + 4], length + 4))
            << c.type << " at " << at;
        chunks.push_back(std::move(c));
        at += 12 + length;
    }
    EXPECT_EQ(at, file.size()) << "bytes after the last chunk";
    return chunks;
}

// Checks the chunk order and IHDR, and gives the inflated scanlines (with their filter bytes).
std::vector<uint8_t> Scanlines(const std::vector<uint8_t>& file, int w, int h, int* idats) {
    const std::vector<Chunk> chunks = Chunks(file);
    if (chunks.size() < 3) {
        ADD_FAILURE() << "only " << chunks.size() << " chunks";
        return {};
    }
    EXPECT_EQ(chunks.front().type, "IHDR");
    const std::vector<uint8_t> ihdr = {uint8_t(w >> 24),
                                       uint8_t(w >> 16),
                                       uint8_t(w >> 8),
                                       uint8_t(w),
                                       uint8_t(h >> 24),
                                       uint8_t(h >> 16),
                                       uint8_t(h >> 8),
                                       uint8_t(h),
                                       8,
                                       2,
                                       0,
                                       0,
                                       0};
    EXPECT_EQ(chunks.front().data, ihdr);
    EXPECT_EQ(chunks.back().type, "IEND");
    EXPECT_TRUE(chunks.back().data.empty());
    std::vector<uint8_t> stream;
    *idats = 0;
    for (size_t i = 1; i + 1 < chunks.size(); ++i) {
        EXPECT_EQ(chunks[i].type, "IDAT") << "chunk " << i;
        stream.insert(stream.end(), chunks[i].data.begin(), chunks[i].data.end());
        ++*idats;
    }
    std::vector<uint8_t> raw(size_t(h) * (1 + size_t(w) * 3) + 1);
    uLongf rawSize = raw.size();
    EXPECT_EQ(uncompress(raw.data(), &rawSize, stream.data(), stream.size()), Z_OK);
    EXPECT_EQ(rawSize, raw.size() - 1);
    raw.resize(rawSize);
    return raw;
}

std::vector<int> FilterBytes(const std::vector<uint8_t>& scanlines, int w, int h) {
    std::vector<int> types;
    const size_t rowBytes = 1 + size_t(w) * 3;
    for (int y = 0; y < h && (y + 1) * rowBytes <= scanlines.size(); ++y)
        types.push_back(scanlines[y * rowBytes]);
    return types;
}

// Decodes with libpng and compares every pixel.
void ExpectDecodesTo(const std::vector<uint8_t>& file, const Picture& picture) {
    const decoders::PngImage image = decoders::ReadPng(file);
    ASSERT_TRUE(image.ok) << image.problem;
    EXPECT_EQ(image.width, uint32_t(picture.width));
    EXPECT_EQ(image.height, uint32_t(picture.height));
    EXPECT_TRUE(image.rgb == picture.RgbBytes()) << "pixels differ";
}

// Encodes, checks that every row is filtered as `filterType` says, and decodes it back.
void ExpectEncodedWithFilter(const Picture& picture, const PngOptions& options, int filterType) {
    const std::vector<uint8_t> file = EncodePng(picture.View(), options);
    ASSERT_FALSE(file.empty());
    int idats = 0;
    const std::vector<uint8_t> scanlines = Scanlines(file, picture.width, picture.height, &idats);
    for (int type : FilterBytes(scanlines, picture.width, picture.height))
        ASSERT_EQ(type, filterType);
    ExpectDecodesTo(file, picture);
}

const char* const kFilterNames[] = {"none", "sub", "up", "average", "paeth", "adaptive"};

TEST(PngEncoder, EveryFilterRoundTripsAtOddSizes) {
    const struct { int w, h; } sizes[] = {{1, 1}, {1, 1000}, {1000, 1}, {3, 3}, {1921, 1081}};
    for (const auto& size : sizes) {
        const Picture picture = Noise(size.w, size.h);
        for (int f = 0; f <= static_cast<int>(PngFilter::kAdaptive); ++f) {
            SCOPED_TRACE(std::to_string(size.w) + "x" + std::to_string(size.h) + " " +
                         kFilterNames[f]);
            PngOptions options;
            options.filter = static_cast<PngFilter>(f);
            const std::vector<uint8_t> file = EncodePng(picture.View(), options);
            ASSERT_FALSE(file.empty());
            int idats = 0;
            const std::vector<uint8_t> scanlines = Scanlines(file, size.w, size.h, &idats);
            for (int type : FilterBytes(scanlines, size.w, size.h))
                ASSERT_EQ(type, options.filter == PngFilter::kAdaptive ? std::min(type, 4) : f);
            // Noise does not compress: six megabytes need more than one IDAT.
            if (size.w * size.h > 1000000) {
                EXPECT_GT(idats, 1);
            }
            ExpectDecodesTo(file, picture);
        }
    }
}

TEST(PngEncoder, ZlibLevelsStrategiesAndBandsGiveTheSamePixels) {
    const struct {
        int level;
        PngStrategy strategy;
        int threads, w, h;
    } cases[] = {
        {0, PngStrategy::kDefault, 1, 97, 41},    {1, PngStrategy::kDefault, 1, 97, 41},
        {9, PngStrategy::kDefault, 1, 97, 41},    {6, PngStrategy::kFiltered, 1, 97, 41},
        {1, PngStrategy::kRle, 1, 97, 41},        {1, PngStrategy::kHuffmanOnly, 1, 97, 41},
        {1, PngStrategy::kRle, 2, 97, 1},         {1, PngStrategy::kRle, 2, 97, 2},
        {6, PngStrategy::kDefault, 3, 5, 5},      {0, PngStrategy::kDefault, 2, 300, 200},
        {9, PngStrategy::kFiltered, 2, 300, 200}, {1, PngStrategy::kHuffmanOnly, 4, 300, 200},
        {1, PngStrategy::kRle, 2, 1921, 1081},    {6, PngStrategy::kDefault, 7, 1921, 1081},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("level " + std::to_string(c.level) + " strategy " +
                     std::to_string(static_cast<int>(c.strategy)) + " threads " +
                     std::to_string(c.threads) + " " + std::to_string(c.w) + "x" +
                     std::to_string(c.h));
        const Picture picture = ScreenLike(c.w, c.h);
        PngOptions options;
        options.filter = PngFilter::kPaeth;
        options.deflater = PngDeflater::kZlib;
        options.level = c.level;
        options.strategy = c.strategy;
        options.threads = c.threads;
        options.unfilteredRetryBelow = 0;
        ExpectEncodedWithFilter(picture, options, 4);  // Paeth
    }
}

TEST(PngEncoder, OwnCoderBandsJoinIntoOneStream) {
    // Bands of one row, bands that reach back less than the window, a remainder of rows.
    const struct {
        int threads, w, h;
    } cases[] = {
        {1, 97, 41},   {2, 97, 1},      {2, 97, 2},      {3, 5, 5},
        {7, 300, 200}, {2, 1921, 1081}, {5, 1921, 1081},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.threads) + " threads " + std::to_string(c.w) + "x" +
                     std::to_string(c.h));
        for (const Picture& picture : {ScreenLike(c.w, c.h), Noise(c.w, c.h)}) {
            PngOptions options;
            options.threads = c.threads;
            options.unfilteredRetryBelow = 0;
            ExpectEncodedWithFilter(picture, options, 2);  // Up
        }
    }
    // Matches reach across the joins: a screen of repeating rows costs no more in bands.
    const Picture screen = ScreenLike(1920, 1080);
    PngOptions one, two;
    one.threads = 1;
    two.threads = 2;
    one.unfilteredRetryBelow = two.unfilteredRetryBelow = 0;
    EXPECT_LT(EncodePng(screen.View(), two).size(), EncodePng(screen.View(), one).size() + 64);
}

// Every row of a line the same few words in an order of its own: unfiltered, each word repeats byte
// for byte along the rows; against the row above, which holds other words, it does not.
Picture WordsOnPanels(int w, int h) {
    Picture p(w, h, 0, 0xA5);
    XorShift random(21);
    uint32_t words[4][16];
    for (auto& word : words)
        for (uint32_t& rgb : word) rgb = random.Below(3) == 0 ? 0x202020 : 0xF0F0F0;
    for (int y = 0; y < h; ++y) {
        const int shift = random.Below(16);
        int word = random.Below(4);
        for (int x = 0; x < w; ++x) {
            if ((x + shift) % 16 == 0)
                word = random.Below(4);
            // Lines of words between flat bands, as text has.
            p.Set(x, y, y % 24 < 12 ? words[word][(x + shift) % 16] : 0xF0F0F0, Junk(x, y));
        }
    }
    return p;
}

TEST(PngEncoder, AFlatInterfaceIsTriedUnfilteredAndTheSmallerKept) {
    const Picture panels = WordsOnPanels(640, 360);
    PngOptions upOnly;
    upOnly.unfilteredRetryBelow = 0;
    PngOptions none;
    none.filter = PngFilter::kNone;
    const size_t up = EncodePng(panels.View(), upOnly).size();
    const std::vector<uint8_t> chosen = EncodePng(panels.View());
    ASSERT_LT(EncodePng(panels.View(), none).size(), up) << "the fixture must favour no filter";
    ASSERT_LT(up, 640 * 360 * 3 / 10) << "and compress to less than a tenth";
    EXPECT_EQ(chosen, EncodePng(panels.View(), none));
    ExpectDecodesTo(chosen, panels);

    // A photograph is filtered as asked: no second encoding.
    const Picture noise = Noise(640, 360);
    const std::vector<uint8_t> photo = EncodePng(noise.View());
    int idats = 0;
    for (int type : FilterBytes(Scanlines(photo, 640, 360, &idats), 640, 360)) ASSERT_EQ(type, 2);
}

TEST(PngEncoder, FlatScreenCompressesToAFewKilobytes) {
    Picture picture(1920, 1080, 0, 0xA5);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) picture.Set(x, y, 0x3366CC, Junk(x, y));
    for (int threads : {1, 2}) {
        PngOptions options;
        options.threads = threads;
        const std::vector<uint8_t> file = EncodePng(picture.View(), options);
        EXPECT_LT(file.size(), 32u * 1024) << threads << " threads";
        ExpectDecodesTo(file, picture);
    }
    EXPECT_EQ(EncodePng(picture.View()), EncodePng(picture.View(), PngOptions{}));
}

TEST(PngEncoder, AdaptiveFilterChoosesPerRow) {
    // Every row the same rising ramp: Sub leaves ones in the first row, Up zeros in the others.
    Picture picture(50, 6, 0, 0xA5);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.Set(x, y,
                        uint32_t(x * 5) << 16 | uint32_t(x * 5 + 1) << 8 | uint32_t(x * 5 + 2),
                        Junk(x, y));
    PngOptions options;
    options.filter = PngFilter::kAdaptive;
    const std::vector<uint8_t> file = EncodePng(picture.View(), options);
    int idats = 0;
    const std::vector<uint8_t> scanlines = Scanlines(file, picture.width, picture.height, &idats);
    EXPECT_EQ(FilterBytes(scanlines, picture.width, picture.height),
              (std::vector<int>{1, 2, 2, 2, 2, 2}));
    ExpectDecodesTo(file, picture);
}

TEST(PngEncoder, RejectsEmptyOrMalformedViewsAndSettings) {
    const uint8_t pixels[64] = {};
    const PixelView views[] = {
        {nullptr, 2, 2, 8}, {pixels, 0, 2, 8},  {pixels, 2, 0, 8},
        {pixels, -1, 2, 8}, {pixels, 2, -1, 8}, {pixels, 2, 2, 7},
    };
    for (const PixelView& view : views) EXPECT_TRUE(EncodePng(view).empty());

    const PixelView good{pixels, 2, 2, 8};
    ASSERT_FALSE(EncodePng(good).empty());
    PngOptions options;
    options.level = 10;
    EXPECT_TRUE(EncodePng(good, options).empty());
    options.level = -1;
    EXPECT_TRUE(EncodePng(good, options).empty());
    options = {};
    options.threads = 0;
    EXPECT_TRUE(EncodePng(good, options).empty());
    options = {};
    options.filter = static_cast<PngFilter>(6);
    EXPECT_TRUE(EncodePng(good, options).empty());
    options = {};
    options.strategy = static_cast<PngStrategy>(4);
    EXPECT_TRUE(EncodePng(good, options).empty());
    options = {};
    options.deflater = static_cast<PngDeflater>(2);
    EXPECT_TRUE(EncodePng(good, options).empty());
}

TEST(PngEncoder, PngcheckAcceptsTheFile) {
#ifndef VELLUM_PNGCHECK
    GTEST_SKIP() << "pngcheck is not installed";
#else
    const Picture picture = ScreenLike(1921, 1081);
    for (int threads : {1, 2}) {
        for (PngDeflater deflater : {PngDeflater::kOwn, PngDeflater::kZlib}) {
            PngOptions options;
            options.threads = threads;
            options.deflater = deflater;
            const std::string path = ::testing::TempDir() + "vellum_png_" +
                                     std::to_string(threads) + "_" +
                                     std::to_string(static_cast<int>(deflater)) + ".png";
            const std::vector<uint8_t> file = EncodePng(picture.View(), options);
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
            const std::string command = std::string(VELLUM_PNGCHECK) + " -q '" + path + "'";
            EXPECT_EQ(std::system(command.c_str()), 0) << command;
            std::remove(path.c_str());
        }
    }
#endif
}

}  // namespace
}  // namespace vellum
