// The deflate coder: any bytes, fed in pieces of any size as two parts of one stream (the second
// primed with the first, as the PNG encoder's bands are), inflate back by zlib to exactly what
// was fed.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "capture/fast_deflate.h"
#include "fuzz_check.h"
#include "raw_inflate.h"

using vellum::testing::Check;

namespace {

// The input again and again, as screens repeat themselves, with one byte in `flip` changed.
std::vector<uint8_t> Stretch(const std::vector<uint8_t>& seed, size_t size, size_t flip) {
    std::vector<uint8_t> v(size);
    for (size_t i = 0; i < size; ++i) v[i] = seed.empty() ? 0 : seed[i % seed.size()];
    for (size_t i = flip; flip != 0 && i < size; i += flip) v[i] ^= 0x5A;
    return v;
}

void FeedInPieces(vellum::FastDeflater& deflater, const std::vector<uint8_t>& part, size_t piece) {
    for (size_t at = 0; at < part.size(); at += piece)
        deflater.Feed(part.data() + at, std::min(piece, part.size() - at));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    const size_t firstSize = data.ConsumeIntegralInRange<size_t>(0, 400000);
    const size_t secondSize = data.ConsumeIntegralInRange<size_t>(0, 70000);
    const size_t piece = data.ConsumeIntegralInRange<size_t>(1, 300000);
    const size_t flip = data.ConsumeIntegralInRange<size_t>(0, 5000);
    const std::vector<uint8_t> seed = data.ConsumeRemainingBytes<uint8_t>();
    const std::vector<uint8_t> first = Stretch(seed, firstSize, flip);
    const std::vector<uint8_t> second = Stretch(seed, secondSize, flip / 2);

    std::vector<uint8_t> stream;
    {
        vellum::FastDeflater deflater(stream);
        FeedInPieces(deflater, first, piece);
        deflater.Finish(false);
    }
    {
        vellum::FastDeflater deflater(stream);
        if (!first.empty())
            deflater.Prime(first.data(), first.size());
        FeedInPieces(deflater, second, piece);
        deflater.Finish(true);
    }
    const vellum::testing::Inflated back = vellum::testing::RawInflate(stream);
    Check(back.ok);
    std::vector<uint8_t> whole = first;
    whole.insert(whole.end(), second.begin(), second.end());
    Check(back.bytes == whole);
    return 0;
}
