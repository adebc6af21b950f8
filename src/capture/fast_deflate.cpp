#include "capture/fast_deflate.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>
#ifdef _MSC_VER
#include <intrin.h>
#endif

namespace vellum {
namespace {

constexpr size_t kWindow = 32768;
// Matches of three bytes, the shortest deflate codes, pay on filtered photographs; a match of
// three costs about as much as its literals unless it is near.
constexpr size_t kMinMatch = 3;
constexpr uint32_t kKeyMask = 0xFFFFFF;  // of four bytes read, the three a match needs
constexpr size_t kShortMatchReach = 4096;
constexpr size_t kMaxMatch = 258;
constexpr int kHashBits = 15;
// Symbols parsed before a block is coded: smaller blocks follow a screen's changes between text
// and pictures more closely, larger ones spend less on their code tables.
constexpr size_t kBlockSymbols = size_t{1} << 15;
constexpr size_t kMaxStored = 65535;
// Input held at once: the matches' reach and the bytes fed but not yet coded. A block's input
// stays in it until the block is coded, so that the block can still be stored.
constexpr size_t kCapacity = kWindow + (size_t{256} << 10);
constexpr uint32_t kEmpty = UINT32_MAX;

constexpr int kEndOfBlock = 256;
constexpr int kLitLenCodes = 286;
constexpr int kDistCodes = 30;
constexpr int kLengthCodes = 19;
constexpr int kMaxBits = 15;
constexpr int kMaxLengthBits = 7;

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                    33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                    1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block stores the code lengths of its code-length code.
constexpr uint8_t kLengthOrder[kLengthCodes] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                11, 4,  12, 3, 13, 2, 14, 1, 15};

struct CodeTables {
    uint8_t lengthCode[kMaxMatch + 1] = {};  // match length -> its symbol - 257
    // Distance code of d: [d - 1] below 257, else [256 + ((d - 1) >> 7)]; every code from 16 on
    // starts at a multiple of 128 (plus one).
    uint8_t distCode[512] = {};

    CodeTables() {
        for (int c = 0; c < 29; ++c) {
            const int end = c + 1 < 29 ? kLengthBase[c + 1] : kMaxMatch + 1;
            for (int length = kLengthBase[c]; length < end; ++length)
                lengthCode[length] = static_cast<uint8_t>(c);
        }
        for (int c = 0; c < kDistCodes; ++c) {
            const int end = c + 1 < kDistCodes ? kDistBase[c + 1] : static_cast<int>(kWindow) + 1;
            for (int d = kDistBase[c]; d < end; ++d)
                distCode[d <= 256 ? d - 1 : 256 + ((d - 1) >> 7)] = static_cast<uint8_t>(c);
        }
    }

    int DistCode(size_t d) const {
        return d <= 256 ? distCode[d - 1] : distCode[256 + ((d - 1) >> 7)];
    }
};

const CodeTables& Tables() {
    static const CodeTables tables;
    return tables;
}

uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

uint64_t Load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

uint32_t Hash(uint32_t fourBytes) {
    return (fourBytes * 2654435761u) >> (32 - kHashBits);
}

// The index of the lowest bit set in v, which is not 0.
int LowestSetBit(uint64_t v) {
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_ctzll(v);
#elif defined(_MSC_VER)
    unsigned long index;
    _BitScanForward64(&index, v);
    return static_cast<int>(index);
#else
    int n = 0;
    while ((v & 0xFF) == 0) {
        v >>= 8;
        n += 8;
    }
    while ((v & 1) == 0) {
        v >>= 1;
        ++n;
    }
    return n;
#endif
}

// How many bytes from a and b agree, up to `limit`.
size_t MatchLength(const uint8_t* a, const uint8_t* b, size_t limit) {
    size_t n = 0;
    while (n + 8 <= limit) {
        const uint64_t diff = Load64(a + n) ^ Load64(b + n);
        if (diff != 0) {
            // The loads are of little-endian order on every target the program is built for.
            return n + static_cast<size_t>(LowestSetBit(diff) >> 3);
        }
        n += 8;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

uint16_t ReverseBits(uint32_t code, int bits) {
    uint32_t r = 0;
    for (int i = 0; i < bits; ++i, code >>= 1) r = (r << 1) | (code & 1);
    return static_cast<uint16_t>(r);
}

// Lengths of a Huffman code for `freq` of at most `limit` bits; unused symbols get 0. With
// fewer than two symbols used, one or two more are given a code so that the code is complete.
void BuildLengths(const uint32_t* freq, int n, int limit, uint8_t* lengths) {
    std::array<int, kLitLenCodes> order{};
    int used = 0;
    for (int s = 0; s < n; ++s)
        if (freq[s] != 0)
            order[used++] = s;
    for (int s = 0; used < 2; ++s) {
        if (freq[s] == 0 &&
            std::find(order.begin(), order.begin() + used, s) == order.begin() + used)
            order[used++] = s;
    }
    const auto weightOf = [&](int s) { return freq[s] == 0 ? 1u : freq[s]; };
    std::sort(order.begin(), order.begin() + used, [&](int a, int b) {
        return weightOf(a) != weightOf(b) ? weightOf(a) < weightOf(b) : a < b;
    });

    // Two queues: the leaves in ascending weight, and the joined nodes, made in ascending order.
    std::array<uint64_t, 2 * kLitLenCodes> weight{};
    std::array<int, 2 * kLitLenCodes> parent{};
    for (int i = 0; i < used; ++i) weight[i] = weightOf(order[i]);
    int leaf = 0, node = used;
    const auto smallest = [&](int made) {
        if (leaf < used && (node >= made || weight[leaf] <= weight[node]))
            return leaf++;
        return node++;
    };
    const int root = 2 * used - 2;
    for (int made = used; made <= root; ++made) {
        const int a = smallest(made);
        const int b = smallest(made);
        weight[made] = weight[a] + weight[b];
        parent[a] = parent[b] = made;
    }
    std::array<int, 2 * kLitLenCodes> depth{};
    std::array<int, kMaxBits + 1> count{};
    for (int i = root - 1; i >= 0; --i) {
        depth[i] = depth[parent[i]] + 1;
        if (i < used)
            ++count[std::min(depth[i], limit)];
    }
    // Codes cut to the limit oversubscribe it: take a leaf off the last level and split a
    // shorter leaf into two, one step of the sum at a time, until the code is complete again.
    uint32_t kraft = 0;
    for (int bits = 1; bits <= limit; ++bits) kraft += count[bits] << (limit - bits);
    while (kraft > (1u << limit)) {
        --count[limit];
        for (int bits = limit - 1; bits > 0; --bits) {
            if (count[bits] != 0) {
                --count[bits];
                count[bits + 1] += 2;
                break;
            }
        }
        --kraft;
    }
    std::fill(lengths, lengths + n, uint8_t{0});
    int next = 0;  // the rarest symbols take the longest codes
    for (int bits = limit; bits > 0; --bits)
        for (int k = 0; k < count[bits]; ++k) lengths[order[next++]] = static_cast<uint8_t>(bits);
}

// The canonical codes of `lengths`, bit-reversed for a stream written from its low bits up.
void MakeCodes(const uint8_t* lengths, int n, uint16_t* codes) {
    std::array<uint32_t, kMaxBits + 1> count{}, next{};
    for (int s = 0; s < n; ++s) ++count[lengths[s]];
    count[0] = 0;
    uint32_t code = 0;
    for (int bits = 1; bits <= kMaxBits; ++bits) {
        code = (code + count[bits - 1]) << 1;
        next[bits] = code;
    }
    for (int s = 0; s < n; ++s)
        codes[s] = lengths[s] != 0 ? ReverseBits(next[lengths[s]]++, lengths[s]) : 0;
}

class BitWriter {
  public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out), used_(out.size()) {}

    void Reserve(size_t bytes) {
        const size_t needed = used_ + bytes + 16;
        if (out_.size() < needed)
            out_.resize(std::max(needed, out_.size() * 2));
    }

    // At most 32 bits at a time.
    void Put(uint32_t bits, int count) {
        bits_ |= uint64_t{bits} << count_;
        count_ += count;
        if (count_ >= 32) {
            uint8_t* at = out_.data() + used_;
            at[0] = static_cast<uint8_t>(bits_);
            at[1] = static_cast<uint8_t>(bits_ >> 8);
            at[2] = static_cast<uint8_t>(bits_ >> 16);
            at[3] = static_cast<uint8_t>(bits_ >> 24);
            used_ += 4;
            bits_ >>= 32;
            count_ -= 32;
        }
    }

    void AlignToByte() {
        while (count_ > 0) {
            out_[used_++] = static_cast<uint8_t>(bits_);
            bits_ >>= 8;
            count_ -= 8;
        }
        bits_ = 0;
        count_ = 0;
    }

    void PutBytes(const uint8_t* data, size_t size) {
        if (size != 0)
            std::memcpy(out_.data() + used_, data, size);
        used_ += size;
    }

    void Finish() { out_.resize(used_); }

  private:
    std::vector<uint8_t>& out_;
    size_t used_;
    uint64_t bits_ = 0;
    int count_ = 0;
};

// Literals, then a match (none when its length is 0).
struct Sequence {
    uint32_t literals;
    uint16_t length;
    uint16_t distance;
};

// One block's parse: its sequences, their symbols' counts and the extra bits its matches take.
struct Block {
    std::vector<Sequence> sequences;
    size_t symbols = 0;
    std::array<uint32_t, kLitLenCodes> litFreq{};  // lengths' and end's; literals' once merged
    uint32_t byteFreq[4][256] = {};                // literals', merged when the block ends
    std::array<uint32_t, kDistCodes> distFreq{};
    uint64_t extraBits = 0;
    size_t begin = 0, end = 0;  // the input it codes

    void MergeLiteralCounts() {
        for (int b = 0; b < 256; ++b)
            litFreq[b] += byteFreq[0][b] + byteFreq[1][b] + byteFreq[2][b] + byteFreq[3][b];
    }

    void Reset(size_t at) {
        std::memset(byteFreq, 0, sizeof byteFreq);
        sequences.clear();
        symbols = 0;
        litFreq.fill(0);
        distFreq.fill(0);
        extraBits = 0;
        begin = end = at;
    }
};

struct RunCode {
    uint8_t symbol;
    uint8_t extra;
};

constexpr uint8_t kRunExtraBits[3] = {2, 3, 7};  // of code-length symbols 16, 17 and 18

// The code lengths of both codes in a row, with repeats and runs of zeros folded.
int FoldLengths(const uint8_t* lengths, int n, RunCode* out) {
    int k = 0;
    for (int i = 0; i < n;) {
        const uint8_t value = lengths[i];
        int run = 1;
        while (i + run < n && lengths[i + run] == value) ++run;
        i += run;
        if (value == 0) {
            for (; run >= 11; run -= std::min(run, 138))
                out[k++] = {18, static_cast<uint8_t>(std::min(run, 138) - 11)};
            if (run >= 3) {
                out[k++] = {17, static_cast<uint8_t>(run - 3)};
                run = 0;
            }
        } else {
            out[k++] = {value, 0};
            --run;
            for (; run >= 3; run -= std::min(run, 6))
                out[k++] = {16, static_cast<uint8_t>(std::min(run, 6) - 3)};
        }
        for (; run > 0; --run) out[k++] = {value, 0};
    }
    return k;
}

// Stored blocks of `size` bytes (one, empty, when size is 0).
void PutStored(BitWriter& bits, const uint8_t* data, size_t size, bool final) {
    size_t done = 0;
    do {
        const size_t piece = std::min(size - done, kMaxStored);
        const bool lastPiece = done + piece == size;
        bits.Put(final && lastPiece ? 1 : 0, 3);  // BFINAL, type 00
        bits.AlignToByte();
        bits.Put(static_cast<uint32_t>(piece) | static_cast<uint32_t>(~piece & 0xFFFF) << 16, 32);
        bits.PutBytes(data + done, piece);
        done += piece;
    } while (done < size);
}

// Codes the block, whose input starts at `input`, with codes of its own, or stored when that
// is smaller.
void PutBlock(BitWriter& bits, const uint8_t* input, Block& block, bool final) {
    const CodeTables& tables = Tables();
    block.MergeLiteralCounts();
    block.litFreq[kEndOfBlock] = 1;
    uint8_t litLengths[kLitLenCodes], distLengths[kDistCodes];
    BuildLengths(block.litFreq.data(), kLitLenCodes, kMaxBits, litLengths);
    BuildLengths(block.distFreq.data(), kDistCodes, kMaxBits, distLengths);
    int litCount = kLitLenCodes, distCount = kDistCodes;
    while (litLengths[litCount - 1] == 0) --litCount;
    while (distLengths[distCount - 1] == 0) --distCount;

    uint8_t both[kLitLenCodes + kDistCodes];
    std::copy(litLengths, litLengths + litCount, both);
    std::copy(distLengths, distLengths + distCount, both + litCount);
    RunCode runs[kLitLenCodes + kDistCodes];
    const int runCount = FoldLengths(both, litCount + distCount, runs);
    std::array<uint32_t, kLengthCodes> runFreq{};
    for (int i = 0; i < runCount; ++i) ++runFreq[runs[i].symbol];
    uint8_t runLengths[kLengthCodes];
    BuildLengths(runFreq.data(), kLengthCodes, kMaxLengthBits, runLengths);
    int orderCount = kLengthCodes;
    while (orderCount > 4 && runLengths[kLengthOrder[orderCount - 1]] == 0) --orderCount;

    uint64_t dynamicBits = 3 + 5 + 5 + 4 + 3 * orderCount + block.extraBits;
    for (int s = 0; s < kLengthCodes; ++s) dynamicBits += uint64_t{runFreq[s]} * runLengths[s];
    for (int i = 0; i < runCount; ++i)
        if (runs[i].symbol >= 16)
            dynamicBits += kRunExtraBits[runs[i].symbol - 16];
    for (int s = 0; s < kLitLenCodes; ++s)
        dynamicBits += uint64_t{block.litFreq[s]} * litLengths[s];
    for (int s = 0; s < kDistCodes; ++s)
        dynamicBits += uint64_t{block.distFreq[s]} * distLengths[s];
    const size_t inputSize = block.end - block.begin;
    const uint64_t storedBits = (inputSize + (inputSize / kMaxStored + 1) * 5) * 8 + 8;
    if (storedBits <= dynamicBits) {
        bits.Reserve(inputSize + (inputSize / kMaxStored + 1) * 5 + 8);
        PutStored(bits, input, inputSize, final);
        return;
    }

    bits.Reserve(block.symbols * 6 + 1024);  // 48 bits a match, and the tables
    bits.Put(final ? 1 : 0, 1);
    bits.Put(2, 2);  // dynamic Huffman codes
    bits.Put(static_cast<uint32_t>(litCount - 257), 5);
    bits.Put(static_cast<uint32_t>(distCount - 1), 5);
    bits.Put(static_cast<uint32_t>(orderCount - 4), 4);
    for (int i = 0; i < orderCount; ++i) bits.Put(runLengths[kLengthOrder[i]], 3);
    uint16_t runCodes[kLengthCodes];
    MakeCodes(runLengths, kLengthCodes, runCodes);
    for (int i = 0; i < runCount; ++i) {
        const RunCode& r = runs[i];
        bits.Put(runCodes[r.symbol], runLengths[r.symbol]);
        if (r.symbol >= 16)
            bits.Put(r.extra, kRunExtraBits[r.symbol - 16]);
    }

    uint16_t litCodes[kLitLenCodes], distCodes[kDistCodes];
    MakeCodes(litLengths, kLitLenCodes, litCodes);
    MakeCodes(distLengths, kDistCodes, distCodes);
    const uint8_t* at = input;
    for (const Sequence& s : block.sequences) {
        const uint8_t* literalsEnd = at + s.literals;
        for (; at + 2 <= literalsEnd; at += 2)
            bits.Put(litCodes[at[0]] | static_cast<uint32_t>(litCodes[at[1]]) << litLengths[at[0]],
                     litLengths[at[0]] + litLengths[at[1]]);
        if (at != literalsEnd)
            bits.Put(litCodes[*at], litLengths[*at]);
        at = literalsEnd + s.length;
        if (s.length == 0)
            continue;
        const int lc = tables.lengthCode[s.length];
        const int symbol = 257 + lc;
        bits.Put(litCodes[symbol] | static_cast<uint32_t>(s.length - kLengthBase[lc])
                                        << litLengths[symbol],
                 litLengths[symbol] + kLengthExtra[lc]);
        const int dc = tables.DistCode(s.distance);
        bits.Put(distCodes[dc] | static_cast<uint32_t>(s.distance - kDistBase[dc])
                                     << distLengths[dc],
                 distLengths[dc] + kDistExtra[dc]);
    }
    bits.Put(litCodes[kEndOfBlock], litLengths[kEndOfBlock]);
}

}  // namespace

struct FastDeflater::State {
    explicit State(std::vector<uint8_t>& out)
        : bits(out), window(kCapacity), head(size_t{1} << kHashBits, kEmpty) {
        block.sequences.reserve(kBlockSymbols);
    }

    // Ends a sequence at `position`: the literals since the last one, then the match, if any.
    void AddSequence(size_t position, size_t length, size_t distance) {
        const uint8_t* literal = At(literalsFrom);
        const size_t literals = position - literalsFrom;
        // Four tables of counts, as runs of one byte value would otherwise wait on one counter.
        size_t i = 0;
        for (; i + 4 <= literals; i += 4) {
            ++block.byteFreq[0][literal[i]];
            ++block.byteFreq[1][literal[i + 1]];
            ++block.byteFreq[2][literal[i + 2]];
            ++block.byteFreq[3][literal[i + 3]];
        }
        for (; i < literals; ++i) ++block.byteFreq[0][literal[i]];
        block.sequences.push_back({static_cast<uint32_t>(literals), static_cast<uint16_t>(length),
                                   static_cast<uint16_t>(distance)});
        block.symbols += literals;
        if (length != 0) {
            const CodeTables& tables = Tables();
            const int lc = tables.lengthCode[length];
            const int dc = tables.DistCode(distance);
            ++block.litFreq[257 + lc];
            ++block.distFreq[dc];
            block.extraBits += kLengthExtra[lc] + kDistExtra[dc];
            ++block.symbols;
        }
        literalsFrom = position + length;
    }

    uint8_t* At(size_t position) { return window.data() + (position - base); }

    BitWriter bits;
    std::vector<uint8_t> window;  // the input from position `base` to `filled`
    std::vector<uint32_t> head;   // where each hash of three bytes was last seen
    // Parsed to `parsed`; the bytes from `literalsFrom` on are literals not yet in a sequence.
    size_t base = 0, filled = 0, parsed = 0, literalsFrom = 0;
    Block block;
};

FastDeflater::FastDeflater(std::vector<uint8_t>& out) : state_(std::make_unique<State>(out)) {}

FastDeflater::~FastDeflater() = default;

void FastDeflater::Prime(const uint8_t* data, size_t size) {
    State& s = *state_;
    const size_t n = std::min(size, kWindow);
    std::memcpy(s.At(s.filled), data + (size - n), n);
    for (size_t p = s.filled; p + 4 <= s.filled + n; ++p)
        s.head[Hash(Load32(s.At(p)) & kKeyMask)] = static_cast<uint32_t>(p);
    s.filled += n;
    s.parsed = s.literalsFrom = s.filled;
    s.block.Reset(s.parsed);
}

void FastDeflater::Feed(const uint8_t* data, size_t size) {
    State& s = *state_;
    if (size > kEmpty - kMaxMatch - s.filled)
        throw std::length_error("FastDeflater: more than 4 GiB of input");
    while (size != 0) {
        if (s.filled - s.base == s.window.size())
            Compact();
        const size_t n = std::min(size, s.window.size() - (s.filled - s.base));
        std::memcpy(s.At(s.filled), data, n);
        s.filled += n;
        data += n;
        size -= n;
        Parse(false);
    }
}

void FastDeflater::Finish(bool last) {
    State& s = *state_;
    Parse(true);
    BitWriter& bits = s.bits;
    if (s.block.symbols != 0 || s.parsed != s.literalsFrom) {
        EndBlock(last);
    } else if (last) {
        bits.Reserve(8);
        bits.Put(1 | 1 << 1, 3);  // a final block of the fixed codes, holding only its end
        bits.Put(0, 7);
    }
    if (!last) {
        bits.Reserve(8);
        const uint8_t none = 0;
        PutStored(bits, &none, 0, false);
    }
    bits.AlignToByte();
    bits.Finish();
}

// Parses up to where a longest match still has its bytes in the window, or, with `all`, to the
// end of the input.
void FastDeflater::Parse(bool all) {
    State& s = *state_;
    // Four bytes are read at every position probed.
    const size_t probeEnd = s.filled >= 4 ? s.filled - 3 : 0;
    const size_t stop =
        all ? probeEnd : std::min(probeEnd, s.filled > kMaxMatch ? s.filled - kMaxMatch : 0);
    size_t pos = s.parsed;
    while (pos < stop) {
        if (s.block.symbols >= kBlockSymbols && pos == s.literalsFrom) {
            s.parsed = pos;
            EndBlock(false);
        }
        const uint8_t* here = s.At(pos);
        const uint32_t key = Load32(here) & kKeyMask;
        uint32_t& slot = s.head[Hash(key)];
        const uint32_t candidate = slot;
        slot = static_cast<uint32_t>(pos);
        size_t forward = 0, distance = 0;
        if (candidate != kEmpty && pos - candidate <= kWindow &&
            (Load32(s.At(candidate)) & kKeyMask) == key) {
            distance = pos - candidate;
            forward = kMinMatch + MatchLength(s.At(candidate) + kMinMatch, here + kMinMatch,
                                              std::min(kMaxMatch, s.filled - pos) - kMinMatch);
        }
        if (forward > kMinMatch || (forward == kMinMatch && distance <= kShortMatchReach)) {
            // The match may begin before the probe, among the literals still pending; longer
            // than deflate's longest, it is coded as several.
            size_t begin = pos;
            while (begin > s.literalsFrom && begin - distance > s.base &&
                   s.At(begin)[-1] == s.At(begin - distance)[-1])
                --begin;
            size_t length = pos - begin + forward;
            while (length > kMaxMatch) {
                const size_t piece = std::min(kMaxMatch, length - kMinMatch);
                s.AddSequence(begin, piece, distance);
                begin += piece;
                length -= piece;
            }
            s.AddSequence(begin, length, distance);
            pos = begin + length;
            continue;
        }
        ++pos;
    }
    s.parsed = all ? s.filled : pos;
}

// Makes room in the window, keeping the 32 KiB before the parse and what is not parsed; a block
// whose input would leave the window is coded first.
void FastDeflater::Compact() {
    State& s = *state_;
    const size_t keep = s.parsed > kWindow ? s.parsed - kWindow : 0;
    if (s.block.begin < keep)
        EndBlock(false);
    if (keep > s.base) {
        std::memmove(s.window.data(), s.At(keep), s.filled - keep);
        s.base = keep;
    }
}

void FastDeflater::EndBlock(bool final) {
    State& s = *state_;
    if (s.parsed != s.literalsFrom)
        s.AddSequence(s.parsed, 0, 0);
    s.block.end = s.parsed;
    PutBlock(s.bits, s.At(s.block.begin), s.block, final);
    s.block.Reset(s.parsed);
}

}  // namespace vellum
