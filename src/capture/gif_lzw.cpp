#include "capture/gif_lzw.h"

#include <algorithm>

namespace vellum {
namespace {

constexpr uint32_t kTableSize = 1u << kGifMaxCodeBits;

// Codes go out least significant bit first; whole bytes leave the accumulator as they fill.
class BitWriter {
  public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}

    void Put(uint32_t code, int bits) {
        pending_ |= static_cast<uint64_t>(code) << count_;
        count_ += bits;
        while (count_ >= 8) {
            out_.push_back(static_cast<uint8_t>(pending_));
            pending_ >>= 8;
            count_ -= 8;
        }
    }

    void Flush() {
        if (count_ > 0)
            out_.push_back(static_cast<uint8_t>(pending_));
        pending_ = 0;
        count_ = 0;
    }

  private:
    std::vector<uint8_t>& out_;
    uint64_t pending_ = 0;
    int count_ = 0;
};

// The string table as a hash of (prefix code, next index) -> code, open addressing. A slot holds
// the 20-bit key above the 12-bit code; 0 marks a free slot, since no added code is 0. Four
// slots per code keep probe runs short, and the 64 KiB stay in cache and clear quickly.
// In front of it, each code's last used extension (index above code), which on a screen's flat
// areas and repeated patterns answers most look-ups from 16 KiB without hashing.
class StringTable {
  public:
    StringTable() : slots_(kSlots, 0), recent_(kTableSize, 0) {}

    void Clear() {
        std::fill(slots_.begin(), slots_.end(), 0u);
        std::fill(recent_.begin(), recent_.end(), 0u);
    }

    // The code of prefix + index, or 0 when the table lacks it; `slot` is where it would go.
    uint32_t Find(uint32_t prefix, uint32_t index, uint32_t& slot) {
        const uint32_t recent = recent_[prefix];
        if (recent >> kGifMaxCodeBits == index && recent != 0)
            return recent & (kTableSize - 1);
        const uint32_t key = prefix << 8 | index;
        uint32_t at = (key * 2654435761u) >> (32 - kSlotBits);
        for (;;) {
            const uint32_t entry = slots_[at];
            if (entry == 0) {
                slot = at;
                return 0;
            }
            if (entry >> kGifMaxCodeBits == key) {
                recent_[prefix] = index << kGifMaxCodeBits | (entry & (kTableSize - 1));
                return entry & (kTableSize - 1);
            }
            at = (at + 1) & (kSlots - 1);
        }
    }

    void Add(uint32_t slot, uint32_t prefix, uint32_t index, uint32_t code) {
        slots_[slot] = (prefix << 8 | index) << kGifMaxCodeBits | code;
        recent_[prefix] = index << kGifMaxCodeBits | code;
    }

  private:
    static constexpr int kSlotBits = 14;
    static constexpr uint32_t kSlots = 1u << kSlotBits;
    std::vector<uint32_t> slots_;
    std::vector<uint32_t> recent_;
};

}  // namespace

std::vector<uint8_t> GifLzwEncode(const uint8_t* indices, size_t count, int minCodeSize) {
    const uint32_t clearCode = 1u << minCodeSize;
    const uint32_t endCode = clearCode + 1;
    std::vector<uint8_t> out;
    out.reserve(count / 2 + 16);
    BitWriter bits(out);
    StringTable table;

    int codeBits = minCodeSize + 1;
    uint32_t nextCode = endCode + 1;
    bits.Put(clearCode, codeBits);
    if (count == 0) {
        bits.Put(endCode, codeBits);
        bits.Flush();
        return out;
    }

    uint32_t prefix = indices[0];
    for (size_t i = 1; i < count; ++i) {
        const uint32_t index = indices[i];
        uint32_t slot = 0;
        const uint32_t code = table.Find(prefix, index, slot);
        if (code != 0) {
            prefix = code;
            continue;
        }
        bits.Put(prefix, codeBits);
        table.Add(slot, prefix, index, nextCode++);
        // The decoder learns each entry one code later than we do, so a width covers codes up
        // to nextCode - 1, the entry just added, which the very next code may already be.
        if (nextCode > (1u << codeBits) && codeBits < kGifMaxCodeBits)
            ++codeBits;
        if (nextCode == kTableSize) {
            bits.Put(clearCode, codeBits);
            table.Clear();
            codeBits = minCodeSize + 1;
            nextCode = endCode + 1;
        }
        prefix = index;
    }
    bits.Put(prefix, codeBits);
    // Reading that last code, the decoder adds one more entry and may widen before the end code.
    if (nextCode == (1u << codeBits) && codeBits < kGifMaxCodeBits)
        ++codeBits;
    bits.Put(endCode, codeBits);
    bits.Flush();
    return out;
}

}  // namespace vellum
