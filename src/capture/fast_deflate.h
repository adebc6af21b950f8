#pragma once
// A deflate coder made for filtered scanlines: one probe per position of a table of where each
// hash of three bytes was last seen, the match there taken at once and stretched back over the
// literals before it, and a Huffman code of its own for every block (or a stored block, where
// that is smaller). It gives up a little of zlib's matching for its speed.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vellum {

// Raw deflate blocks of the bytes fed to it, appended to a vector as they are coded. It keeps
// the last 32 KiB fed (matches reach that far) and what it has not parsed yet, so the input
// can come a few rows at a time. Throws std::bad_alloc when memory runs out, and
// std::length_error past 4 GiB of input.
class FastDeflater {
  public:
    explicit FastDeflater(std::vector<uint8_t>& out);

    // Bytes that come before the first fed, such as the end of another part of the same stream:
    // matches may reach them, but they are not coded. Only before the first Feed.
    void Prime(const uint8_t* data, size_t size);

    void Feed(const uint8_t* data, size_t size);

    // Codes what is left. With `last` the final block is marked as the stream's end; otherwise
    // the blocks end with an empty stored block, so that the output closes on a byte boundary
    // and another part of the stream can follow it.
    void Finish(bool last);

    ~FastDeflater();
    FastDeflater(const FastDeflater&) = delete;
    FastDeflater& operator=(const FastDeflater&) = delete;

  private:
    struct State;

    void Parse(bool all);
    void Compact();
    void EndBlock(bool final);

    std::unique_ptr<State> state_;
};

}  // namespace vellum
