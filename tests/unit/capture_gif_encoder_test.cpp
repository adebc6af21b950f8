#include "capture/gif_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "gif_reader.h"
#include "synthetic_pictures.h"

namespace vellum {
namespace {

using testing::Channel;
using testing::Distance2;
using testing::Picture;
using testing::Rgb;
using testing::XorShift;

size_t DistinctColours(const std::vector<uint32_t>& pixels) {
    std::vector<uint8_t> seen(size_t{1} << 24, 0);
    size_t count = 0;
    for (const uint32_t rgb : pixels) {
        count += seen[rgb] == 0;
        seen[rgb] = 1;
    }
    return count;
}

// What giflib does not tell: the blocks as written, walked by hand.
struct Layout {
    std::string problem;
    int tableBits = 0;
    int minCodeSize = 0;
    size_t codeBytes = 0;  // LZW data in all sub-blocks
};

Layout Walk(const std::vector<uint8_t>& f) {
    Layout l;
    const auto u16 = [&](size_t at) { return f[at] | f[at + 1] << 8; };
    if (f.size() < 13 || std::string(f.begin(), f.begin() + 6) != "GIF89a") {
        l.problem = "no GIF89a header";
        return l;
    }
    const uint8_t screen = f[10];
    if (!(screen & 0x80) || (screen & 0x08)) {
        l.problem = "no global colour table, or a sorted one";
        return l;
    }
    l.tableBits = (screen & 7) + 1;
    size_t at = 13 + 3 * (size_t{1} << l.tableBits);
    if (f.size() < at + 12 || f[at] != 0x2C) {
        l.problem = "no image descriptor after the colour table";
        return l;
    }
    if (u16(at + 5) != u16(6) || u16(at + 7) != u16(8) || f[at + 9] != 0) {
        l.problem = "the image descriptor differs from the screen";
        return l;
    }
    l.minCodeSize = f[at + 10];
    at += 11;
    while (at < f.size() && f[at] != 0) {
        l.codeBytes += f[at];
        at += 1 + f[at];
    }
    if (at + 2 != f.size() || f[at + 1] != 0x3B)
        l.problem = "the data blocks do not end in a terminator and the trailer";
    return l;
}

double Psnr(const Picture& p, const std::vector<uint32_t>& decoded) {
    double squares = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            squares += Distance2(p.Colour(x, y), decoded[static_cast<size_t>(y) * p.width + x]);
    const double mse = squares / (3.0 * p.width * p.height);
    return mse == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mse);
}

// A photograph's soft light and shapes with sensor noise on every channel.
uint32_t Photo(double u, double v, XorShift& noise) {
    const double shade = 60 * std::sin(u * 5 + v * 3) + 40 * std::cos(v * 7 - u * 2);
    const auto n = [&] { return noise.Below(17) - 8; };
    return Rgb(static_cast<int>(70 + 120 * u + shade) + n(),
               static_cast<int>(90 + 100 * v + shade * 0.6) + n(),
               static_cast<int>(200 - 110 * u * v - shade * 0.4) + n());
}

struct Case {
    const char* name;
    int width, height;
    size_t padding;  // bytes past each row's end
    std::function<uint32_t(int, int)> colour;
    double minPsnr;  // 0: the picture must come back exactly
};

void CheckCase(const Case& c, Layout* written = nullptr) {
    SCOPED_TRACE(c.name);
    // The fourth bytes and the padding random.
    XorShift junk(99);
    Picture picture(c.width, c.height, c.padding, junk);
    picture.Fill(c.colour);
    const std::vector<uint32_t> original = picture.Pixels();
    const size_t distinct = DistinctColours(original);

    const std::vector<uint8_t> file = EncodeGif(picture.View());
    const Layout layout = Walk(file);
    ASSERT_EQ(layout.problem, "");
    if (written)
        *written = layout;
    const decoders::GifImage image = decoders::ReadGif(file);
    ASSERT_TRUE(image.ok) << image.problem;
    ASSERT_EQ(image.width, c.width);
    ASSERT_EQ(image.height, c.height);
    EXPECT_EQ(layout.minCodeSize, std::max(2, layout.tableBits));

    if (c.minPsnr == 0) {
        ASSERT_LE(distinct, 256u);
        // The smallest table that holds every colour.
        EXPECT_GE(size_t{1} << layout.tableBits, distinct);
        EXPECT_TRUE(layout.tableBits == 1 || (size_t{1} << (layout.tableBits - 1)) < distinct);
        const auto mismatch = std::mismatch(original.begin(), original.end(), image.rgb.begin());
        EXPECT_TRUE(mismatch.first == original.end())
            << "first difference at pixel " << mismatch.first - original.begin();
        return;
    }
    ASSERT_GT(distinct, 256u);
    EXPECT_EQ(layout.tableBits, 8);
    // Each pixel gets a table colour close to the nearest one: the lookup goes by the mean of
    // the pixel's 5-bit cell, at most 7 * sqrt(3) from the pixel, so twice that is the slack.
    const double slack = 2 * 7 * std::sqrt(3.0);
    std::vector<int> table[3];
    for (const uint32_t t : image.table)
        for (int k = 0; k < 3; ++k) table[k].push_back(Channel(t, k));
    for (size_t i = 0; i < original.size(); ++i) {
        const int r = Channel(original[i], 0), g = Channel(original[i], 1),
                  b = Channel(original[i], 2);
        int nearest = INT32_MAX;
        for (size_t t = 0; t < image.table.size(); ++t) {
            const int dr = table[0][t] - r, dg = table[1][t] - g, db = table[2][t] - b;
            nearest = std::min(nearest, dr * dr + dg * dg + db * db);
        }
        ASSERT_LE(std::sqrt(Distance2(original[i], image.rgb[i])), std::sqrt(nearest) + slack)
            << "at pixel " << i;
    }
    const double psnr = Psnr(picture, image.rgb);
    std::printf("[ PSNR     ] %s: %.2f dB, %zu colours, %zu bytes\n", c.name, psnr, distinct,
                file.size());
    EXPECT_GE(psnr, c.minPsnr);
}

TEST(GifEncoder, PicturesComeBackThroughGiflib) {
    XorShift noise(5);
    const Case cases[] = {
        {"1x1", 1, 1, 0, [](int, int) { return 0x123456u; }, 0},
        {"1x1000, 256 greys", 1, 1000, 0, [](int, int y) { return 0x010101u * (y % 256); }, 0},
        {"1000x1, 7 colours", 1000, 1, 0,
         [](int x, int) { return 0x1F3D5Bu * static_cast<uint32_t>(x * 3 % 7); }, 0},
        {"3x3, 9 colours", 3, 3, 0, [](int x, int y) { return Rgb(x * 100, y * 100, 7); }, 0},
        {"1921x1081, tiles of 111 colours", 1921, 1081, 0,
         [](int x, int y) { return Rgb((x / 8 + y / 8) % 37 * 7, 200 - x / 40 % 3, 9); }, 0},
        {"65535x1, the widest", 65535, 1, 0,
         [](int x, int) { return x < 40000 ? 0xFFFFFFu : 0x0000FFu; }, 0},
        {"one colour", 64, 48, 0, [](int, int) { return 0xFA8000u; }, 0},
        {"two colours", 50, 40, 0,
         [](int x, int y) { return (x * 3 + y * 5) % 11 < 4 ? 0x000000u : 0xFFFFFFu; }, 0},
        {"exactly 256 colours", 64, 64, 0,
         [](int x, int y) { return Rgb(x / 4 * 17, y / 4 * 17, (x / 4 * 3 + y / 4 * 5) % 256); },
         0},
        {"a stride beyond the row", 37, 23, 20,
         [](int x, int y) { return Rgb(x % 8 * 30, y % 8 * 30, 100); }, 0},
        // 256 colours far apart and one next to the first: those two share a table entry.
        {"257 colours", 17, 17, 0,
         [](int x, int y) {
             const int i = y * 17 + x;
             return i == 256 ? Rgb(1, 1, 2) : Rgb(i % 16 * 17, i / 16 * 17, 0);
         },
         45},
        // Smoothed text: 5 inks over 4 grounds at 64 coverages, 1280 colours.
        {"smoothed text", 320, 200, 0,
         [](int x, int y) {
             const uint32_t grounds[] = {0xFFFFFF, 0xF0F0F0, 0x2D2D30, 0x0078D4};
             const uint32_t inks[] = {0x000000, 0x1B1B1B, 0xCCCCCC, 0xFFFFFF, 0xC42B1C};
             const uint32_t ground = grounds[x / 80], ink = inks[y / 40];
             const int t = (x * 7 + y * 13) % 64;
             int rgb[3];
             for (int k = 0; k < 3; ++k)
                 rgb[k] = (Channel(ground, k) * (63 - t) + Channel(ink, k) * t + 31) / 63;
             return Rgb(rgb[0], rgb[1], rgb[2]);
         },
         30},
        {"a photograph", 400, 300, 0,
         [&](int x, int y) { return Photo(x / 400.0, y / 300.0, noise); }, 30},
    };
    for (const Case& c : cases) CheckCase(c);
}

TEST(GifEncoder, PixelsWithoutOrderFillTheTableAndClearItManyTimes) {
    XorShift random(8);
    Layout layout;
    CheckCase({"random pixels of 256 colours", 512, 512, 0,
               [&](int, int) { return static_cast<uint32_t>(random.Below(256)) * 0x010101u; }, 0},
              &layout);
    // Between two clear codes at most 4094 codes of at most 12 bits: more than four times that
    // many bytes of codes take at least four fills.
    EXPECT_GT(layout.codeBytes, 4u * 4094 * 12 / 8);
}

TEST(GifEncoder, RefusesWhatAGifCannotHold) {
    const std::vector<uint8_t> pixels(70000 * 4 * 2, 0);
    const struct {
        const char* name;
        PixelView view;
    } cases[] = {
        {"no pixels", {nullptr, 4, 4, 16}},
        {"no width", {pixels.data(), 0, 4, 16}},
        {"no height", {pixels.data(), 4, 0, 16}},
        {"negative width", {pixels.data(), -4, 4, 16}},
        {"wider than 65535", {pixels.data(), 65536, 1, 65536 * 4}},
        {"taller than 65535", {pixels.data(), 1, 65536, 4}},
        {"a stride shorter than a row", {pixels.data(), 4, 4, 15}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(EncodeGif(c.view).empty());
    }
}

}  // namespace
}  // namespace vellum
