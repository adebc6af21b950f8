#include "capture/fast_deflate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "raw_inflate.h"
#include "synthetic_pictures.h"

namespace vellum {
namespace {

using testing::RawInflate;
using testing::XorShift;

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& input, size_t piece, bool last,
                             const std::vector<uint8_t>& before = {}) {
    std::vector<uint8_t> out;
    FastDeflater deflater(out);
    if (!before.empty())
        deflater.Prime(before.data(), before.size());
    for (size_t at = 0; at < input.size(); at += piece)
        deflater.Feed(input.data() + at, std::min(piece, input.size() - at));
    deflater.Finish(last);
    return out;
}

std::vector<uint8_t> Random(size_t n, uint32_t seed) {
    XorShift random(seed);
    std::vector<uint8_t> v(n);
    for (uint8_t& b : v) b = static_cast<uint8_t>(random.Next());
    return v;
}

std::vector<uint8_t> Repeated(const std::string& text, int times) {
    std::vector<uint8_t> v;
    for (int i = 0; i < times; ++i) v.insert(v.end(), text.begin(), text.end());
    return v;
}

// Words from a small vocabulary: matches of every length and distance.
std::vector<uint8_t> Words(size_t n) {
    static const char* const kWords[] = {"the ",  "捕获 ",         "screen ", "a",    "window, ",
                                         "PNG\n", "栖木抓屏精灵 ", "of ",     "rows "};
    XorShift random(7);
    std::vector<uint8_t> v;
    while (v.size() < n) {
        const std::string word = kWords[random.Below(9)];
        v.insert(v.end(), word.begin(), word.end());
    }
    v.resize(n);
    return v;
}

// Byte values with counts rising like the Fibonacci numbers, shuffled: a Huffman code of those
// counts is 24 bits deep, past the 15 that deflate allows.
std::vector<uint8_t> SkewedBytes() {
    std::vector<uint8_t> v;
    uint32_t a = 1, b = 1;
    for (int value = 0; value < 25; ++value) {
        v.insert(v.end(), a, static_cast<uint8_t>(value * 10));
        const uint32_t next = a + b;
        a = b;
        b = next;
    }
    XorShift random(99);
    for (size_t i = v.size(); i > 1; --i) std::swap(v[i - 1], v[random.Below(static_cast<int>(i))]);
    return v;
}

// Only three-byte repeats, each close to its first copy.
std::vector<uint8_t> ThreeByteRepeats(size_t n) {
    XorShift random(3);
    std::vector<uint8_t> v;
    while (v.size() < n) {
        const uint8_t a = static_cast<uint8_t>(random.Next()),
                      b = static_cast<uint8_t>(random.Next()),
                      c = static_cast<uint8_t>(random.Next());
        v.insert(v.end(), {a, b, c, static_cast<uint8_t>(random.Next()), a, b, c,
                           static_cast<uint8_t>(random.Next())});
    }
    v.resize(n);
    return v;
}

TEST(FastDeflater, WhatIsFedInflatesBackExactly) {
    const struct {
        const char* name;
        std::vector<uint8_t> input;
        size_t maxBytes;  // the coded size it must stay within
    } cases[] = {
        {"empty", {}, 8},
        {"one byte", {42}, 16},
        {"three bytes", {1, 2, 3}, 16},
        {"a repeated pixel", std::vector<uint8_t>(30000, 0xA5), 200},
        {"zeros across many windows", std::vector<uint8_t>(3 << 20, 0), 16 << 10},
        {"abc overlapping itself", Repeated("abc", 3000), 80},
        {"words", Words(1 << 20), (1 << 20) / 3},
        {"skewed byte counts", SkewedBytes(), 0},
        {"three-byte repeats", ThreeByteRepeats(200000), 200000},
        // Noise gains nothing: stored blocks, a few bytes each 64 KiB over the input.
        {"noise", Random(700000, 5), 700000 + 700000 / 2000},
    };
    for (const auto& c : cases) {
        for (size_t piece : {size_t{1} << 30, size_t{4093}, size_t{1}}) {
            if (piece == 1 && c.input.size() > 300000)
                continue;
            SCOPED_TRACE(std::string(c.name) + ", fed " + std::to_string(piece) + " at a time");
            const std::vector<uint8_t> out = Deflate(c.input, piece, true);
            const testing::Inflated back = RawInflate(out);
            ASSERT_TRUE(back.ok);
            EXPECT_TRUE(back.bytes == c.input) << back.bytes.size() << " of " << c.input.size();
            if (c.maxBytes != 0) {
                EXPECT_LE(out.size(), c.maxBytes);
            }
        }
    }
}

TEST(FastDeflater, ShortRepeatsAreCodedAsMatches) {
    // Each eight bytes hold one three-byte repeat four bytes back: matched, they save about a
    // quarter over the literals' eight bits apiece.
    const std::vector<uint8_t> input = ThreeByteRepeats(400000);
    EXPECT_LT(Deflate(input, input.size(), true).size(), input.size() * 7 / 8);
}

TEST(FastDeflater, PartsJoinIntoOneStreamAndReachBackAcrossTheJoin) {
    // Noise, so that the only matches are those of the copy.
    const std::vector<uint8_t> first = Random(100000, 10);
    std::vector<uint8_t> second(first.end() - 30000, first.end());  // a copy of first's end
    const std::vector<uint8_t> tail = Random(1000, 11);
    second.insert(second.end(), tail.begin(), tail.end());

    const std::vector<uint8_t> a = Deflate(first, 1 << 30, false);
    // An open part ends on a byte boundary with an empty stored block.
    ASSERT_GE(a.size(), 4u);
    EXPECT_TRUE(std::equal(a.end() - 4, a.end(), std::vector<uint8_t>{0, 0, 0xFF, 0xFF}.begin()));
    EXPECT_FALSE(RawInflate(a).ok) << "no final block yet";

    const std::vector<uint8_t> b = Deflate(second, 1 << 30, true, first);
    // The copy is matched against the part before: what is coded is little more than the tail.
    EXPECT_LT(b.size(), 2000u);
    std::vector<uint8_t> joined = a;
    joined.insert(joined.end(), b.begin(), b.end());
    std::vector<uint8_t> whole = first;
    whole.insert(whole.end(), second.begin(), second.end());
    const testing::Inflated back = RawInflate(joined);
    ASSERT_TRUE(back.ok);
    EXPECT_TRUE(back.bytes == whole);

    // The second part alone needs the first's end as the dictionary.
    const std::vector<uint8_t> window(first.end() - 32768, first.end());
    const testing::Inflated alone = RawInflate(b, window);
    ASSERT_TRUE(alone.ok);
    EXPECT_TRUE(alone.bytes == second);
}

TEST(FastDeflater, EmptyPartsStillCloseTheStream) {
    const std::vector<uint8_t> open = Deflate({}, 1, false);
    EXPECT_EQ(open, (std::vector<uint8_t>{0, 0, 0, 0xFF, 0xFF}));
    std::vector<uint8_t> joined = open;
    const std::vector<uint8_t> closing = Deflate({}, 1, true, {1, 2, 3});
    joined.insert(joined.end(), closing.begin(), closing.end());
    const testing::Inflated back = RawInflate(joined);
    EXPECT_TRUE(back.ok);
    EXPECT_TRUE(back.bytes.empty());
}

}  // namespace
}  // namespace vellum
