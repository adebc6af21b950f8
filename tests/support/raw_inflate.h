#pragma once
// zlib's inflate of raw deflate data, the independent decoder of the program's own deflate coder.
#include <zlib.h>

#include <cstdint>
#include <vector>

namespace vellum::testing {

struct Inflated {
    bool ok = false;  // a complete stream, ended by its final block, with nothing after it
    std::vector<uint8_t> bytes;
};

// `dictionary`: the bytes before the stream that its matches may reach.
inline Inflated RawInflate(const std::vector<uint8_t>& stream,
                           const std::vector<uint8_t>& dictionary = {}) {
    Inflated result;
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK)
        return result;
    if (!dictionary.empty() &&
        inflateSetDictionary(&z, dictionary.data(), static_cast<uInt>(dictionary.size())) != Z_OK) {
        inflateEnd(&z);
        return result;
    }
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    uint8_t chunk[1 << 16];
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = chunk;
        z.avail_out = sizeof chunk;
        status = inflate(&z, Z_NO_FLUSH);
        result.bytes.insert(result.bytes.end(), chunk, chunk + (sizeof chunk - z.avail_out));
        if (status == Z_BUF_ERROR && z.avail_in == 0)
            break;  // the input ended before the final block
    }
    result.ok = status == Z_STREAM_END && z.avail_in == 0;
    inflateEnd(&z);
    return result;
}

}  // namespace vellum::testing
