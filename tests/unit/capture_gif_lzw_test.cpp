#include "capture/gif_lzw.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "synthetic_pictures.h"

namespace vellum {
namespace {

// A decoder written from GIF's rules and nothing else, strict about what a reader may forgive:
// the stream starts with a clear code, every code is one the table can hold, the end code comes
// exactly where the data ends (only zero bits after it, in its last byte).
struct Decoded {
    bool ok = false;
    std::string problem;
    std::vector<uint8_t> indices;
    int clears = 0;
    int widest = 0;  // the widest code read
};

Decoded StrictDecode(const std::vector<uint8_t>& data, int minCodeSize) {
    Decoded d;
    const uint32_t clear = 1u << minCodeSize, end = clear + 1;
    std::vector<uint32_t> prefix(4096), length(4096);
    std::vector<uint8_t> first(4096), last(4096);
    for (uint32_t c = 0; c < clear; ++c) {
        length[c] = 1;
        first[c] = last[c] = static_cast<uint8_t>(c);
    }
    size_t bit = 0;
    const auto read = [&](int width, uint32_t& code) {
        if (bit + width > data.size() * 8)
            return false;
        code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= static_cast<uint32_t>(data[bit / 8] >> (bit % 8) & 1) << i;
        return true;
    };
    const auto emit = [&](uint32_t code) {
        const size_t at = d.indices.size();
        d.indices.resize(at + length[code]);
        for (size_t i = length[code]; i-- > 0; code = prefix[code]) d.indices[at + i] = last[code];
    };

    int width = minCodeSize + 1;
    uint32_t next = end + 1;
    bool havePrevious = false;
    uint32_t previous = 0;
    for (bool start = true;; start = false) {
        uint32_t code = 0;
        if (!read(width, code)) {
            d.problem = "the data ends without an end code";
            return d;
        }
        d.widest = std::max(d.widest, width);
        if (start && code != clear) {
            d.problem = "the first code is not a clear code";
            return d;
        }
        if (code == clear) {
            ++d.clears;
            width = minCodeSize + 1;
            next = end + 1;
            havePrevious = false;
            continue;
        }
        if (code == end)
            break;
        if (!havePrevious) {
            if (code >= clear) {
                d.problem = "a string code right after a clear code";
                return d;
            }
            emit(code);
        } else {
            if (code > next) {
                d.problem = "code " + std::to_string(code) + " beyond the table";
                return d;
            }
            const uint8_t head = code < next ? first[code] : first[previous];
            if (next < 4096) {
                prefix[next] = previous;
                length[next] = length[previous] + 1;
                first[next] = first[previous];
                last[next] = head;
                ++next;
            }
            emit(code);
            if (next == (1u << width) && width < 12)
                ++width;
        }
        previous = code;
        havePrevious = true;
    }
    if ((bit + 7) / 8 != data.size()) {
        d.problem = "bytes after the end code";
        return d;
    }
    for (; bit < data.size() * 8; ++bit) {
        if (data[bit / 8] >> (bit % 8) & 1) {
            d.problem = "set bits after the end code";
            return d;
        }
    }
    d.ok = true;
    return d;
}

using testing::XorShift;

std::vector<uint8_t> RandomIndices(size_t count, int bits, uint32_t seed) {
    XorShift random(seed);
    std::vector<uint8_t> indices(count);
    for (uint8_t& i : indices) i = static_cast<uint8_t>(random.Next() % (1u << bits));
    return indices;
}

// Long runs of random lengths, as flat areas of a screen give.
std::vector<uint8_t> Runs(size_t count, int bits, uint32_t seed) {
    XorShift random(seed);
    std::vector<uint8_t> indices;
    while (indices.size() < count) {
        const uint8_t value = static_cast<uint8_t>(random.Next() % (1u << bits));
        indices.insert(indices.end(),
                       std::min<size_t>(1 + random.Next() % 300, count - indices.size()), value);
    }
    return indices;
}

void ExpectRoundTrip(const std::vector<uint8_t>& indices, int minCodeSize, int minClears = 1) {
    const std::vector<uint8_t> data = GifLzwEncode(indices.data(), indices.size(), minCodeSize);
    const Decoded d = StrictDecode(data, minCodeSize);
    ASSERT_TRUE(d.ok) << d.problem;
    EXPECT_EQ(d.indices, indices);
    EXPECT_GE(d.clears, minClears);
    EXPECT_LE(d.widest, kGifMaxCodeBits);
}

TEST(GifLzw, CodesOfThreeEqualIndicesAreAsWorkedOutByHand) {
    // clear 4, then 0, then the new string "0 0" as code 6, then end 5, all 3 bits wide:
    // 100 000 110 101 from the least significant bit up.
    const std::vector<uint8_t> indices = {0, 0, 0};
    EXPECT_EQ(GifLzwEncode(indices.data(), indices.size(), 2), (std::vector<uint8_t>{0x84, 0x0B}));
}

TEST(GifLzw, RoundTripsThroughAStrictDecoder) {
    struct Case {
        const char* name;
        std::vector<uint8_t> indices;
        int minCodeSize;
        int minClears;  // the first clear code included
    };
    const Case cases[] = {
        {"nothing", {}, 2, 1},
        {"one index", {3}, 2, 1},
        {"two-colour indices at the smallest code size", RandomIndices(5000, 1, 7), 2, 1},
        {"one long run", std::vector<uint8_t>(200000, 1), 2, 1},
        // A string followed by itself and its first index: the code just added is used at once.
        {"repeats of a string", {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0}, 2, 1},
        {"runs of 16 indices", Runs(300000, 4, 11), 4, 2},
        {"random 3-bit indices", RandomIndices(60000, 3, 3), 3, 4},
        {"random 5-bit indices", RandomIndices(60000, 5, 5), 5, 5},
        {"random bytes fill the table many times", RandomIndices(100000, 8, 9), 8, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectRoundTrip(c.indices, c.minCodeSize, c.minClears);
    }
}

// Every ending: near the widths' steps (the end code after a widening the decoder makes on the
// last code) and around the table's filling up (a clear code just before or after the last).
TEST(GifLzw, EveryLengthEndsCleanly) {
    const std::vector<uint8_t> small = RandomIndices(700, 2, 21);
    for (size_t n = 0; n <= small.size(); ++n) {
        SCOPED_TRACE("2-bit, " + std::to_string(n));
        ExpectRoundTrip(std::vector<uint8_t>(small.begin(), small.begin() + n), 2);
    }
    // Random bytes fill the table after about 3900 indices (3838 codes, most of one index).
    const std::vector<uint8_t> bytes = RandomIndices(4100, 8, 22);
    for (size_t n = 3800; n <= bytes.size(); ++n) {
        SCOPED_TRACE("8-bit, " + std::to_string(n));
        ExpectRoundTrip(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n), 8);
    }
}

}  // namespace
}  // namespace vellum
