#include "capture/png_encoder.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <system_error>
#include <thread>

#include "capture/fast_deflate.h"

namespace vellum {
namespace {

constexpr size_t kBytesPerPixel = 3;
constexpr size_t kWindowBytes = 32768;  // how far back deflate matches reach
constexpr size_t kBatchBytes = 64 * 1024;
constexpr size_t kMaxIdatBytes = 1024 * 1024;
// adler32_combine takes a band's length as z_off_t, which is 32 bits on 64-bit Windows; the
// own coder's positions are 32 bits too.
constexpr uint64_t kMaxBandBytes = uint64_t{1} << 30;

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void Set32(uint8_t* at, uint32_t v) {
    at[0] = static_cast<uint8_t>(v >> 24);
    at[1] = static_cast<uint8_t>(v >> 16);
    at[2] = static_cast<uint8_t>(v >> 8);
    at[3] = static_cast<uint8_t>(v);
}

int ZlibStrategy(PngStrategy s) {
    switch (s) {
        case PngStrategy::kFiltered:
            return Z_FILTERED;
        case PngStrategy::kRle:
            return Z_RLE;
        case PngStrategy::kHuffmanOnly:
            return Z_HUFFMAN_ONLY;
        case PngStrategy::kDefault:
            break;
    }
    return Z_DEFAULT_STRATEGY;
}

uint8_t PaethPredictor(int a, int b, int c) {
    // Distances of a + b - c from a, b and c.
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Writes the type byte and the n filtered bytes of `cur` (the row above is `prev`).
void ApplyFilter(int type, const uint8_t* cur, const uint8_t* prev, size_t n, uint8_t* out) {
    constexpr size_t bpp = kBytesPerPixel;
    out[0] = static_cast<uint8_t>(type);
    uint8_t* o = out + 1;
    switch (type) {
        case 0:
            std::memcpy(o, cur, n);
            break;
        case 1:
            for (size_t i = 0; i < bpp; ++i) o[i] = cur[i];
            for (size_t i = bpp; i < n; ++i) o[i] = static_cast<uint8_t>(cur[i] - cur[i - bpp]);
            break;
        case 2:
            for (size_t i = 0; i < n; ++i) o[i] = static_cast<uint8_t>(cur[i] - prev[i]);
            break;
        case 3:
            for (size_t i = 0; i < bpp; ++i) o[i] = static_cast<uint8_t>(cur[i] - (prev[i] >> 1));
            for (size_t i = bpp; i < n; ++i)
                o[i] = static_cast<uint8_t>(cur[i] - ((cur[i - bpp] + prev[i]) >> 1));
            break;
        default:
            // With nothing to the left the predictor is the byte above.
            for (size_t i = 0; i < bpp; ++i) o[i] = static_cast<uint8_t>(cur[i] - prev[i]);
            for (size_t i = bpp; i < n; ++i)
                o[i] = static_cast<uint8_t>(cur[i] -
                                            PaethPredictor(cur[i - bpp], prev[i], prev[i - bpp]));
            break;
    }
}

uint64_t SignedMagnitudes(const uint8_t* filtered, size_t n) {
    uint64_t sum = 0;
    for (size_t i = 0; i < n; ++i) sum += filtered[i] < 128 ? filtered[i] : 256 - filtered[i];
    return sum;
}

// Turns the picture's rows, in order, into filtered RGB scanlines, keeping the row above.
class RowFilter {
  public:
    RowFilter(const PixelView& picture, PngFilter filter)
        : picture_(picture),
          filter_(filter),
          n_(static_cast<size_t>(picture.width) * kBytesPerPixel),
          prev_(n_),
          cur_(n_) {
        if (filter_ == PngFilter::kAdaptive)
            trial_.resize(n_ + 1);
    }

    size_t RowBytes() const { return n_ + 1; }

    // The next row filtered is y; the one above it is read from the picture.
    void StartAt(int y) {
        if (y > 0)
            ToRgb(picture_.Row(y - 1), prev_.data());
        else
            std::fill(prev_.begin(), prev_.end(), uint8_t{0});
    }

    // Writes row y's scanline (RowBytes() bytes) to `out`.
    void Filter(int y, uint8_t* out) {
        ToRgb(picture_.Row(y), cur_.data());
        if (filter_ != PngFilter::kAdaptive) {
            ApplyFilter(static_cast<int>(filter_), cur_.data(), prev_.data(), n_, out);
        } else {
            uint64_t best = UINT64_MAX;
            for (int type = 0; type <= 4; ++type) {
                uint8_t* into = type == 0 ? out : trial_.data();
                ApplyFilter(type, cur_.data(), prev_.data(), n_, into);
                const uint64_t sum = SignedMagnitudes(into + 1, n_);
                if (sum < best) {
                    best = sum;
                    if (into != out)
                        std::memcpy(out, into, n_ + 1);
                }
            }
        }
        cur_.swap(prev_);
    }

  private:
    void ToRgb(const uint8_t* bgrx, uint8_t* rgb) const {
        for (int x = 0; x < picture_.width; ++x, bgrx += 4, rgb += 3) {
            rgb[0] = bgrx[2];
            rgb[1] = bgrx[1];
            rgb[2] = bgrx[0];
        }
    }

    const PixelView& picture_;
    PngFilter filter_;
    size_t n_;
    std::vector<uint8_t> prev_, cur_, trial_;
};

// Output of deflate into a vector that grows as needed.
class Deflater {
  public:
    ~Deflater() {
        if (open_)
            deflateEnd(&z_);
    }

    // windowBits 15 writes a zlib stream, -15 raw deflate.
    bool Open(int level, int strategy, int windowBits, size_t expected) {
        open_ = deflateInit2(&z_, level, Z_DEFLATED, windowBits, 8, strategy) == Z_OK;
        out_.resize(std::max<size_t>(expected, 4096));
        return open_;
    }

    bool Prime(const uint8_t* dictionary, size_t size) {
        return deflateSetDictionary(&z_, dictionary, static_cast<uInt>(size)) == Z_OK;
    }

    bool Feed(const uint8_t* data, size_t size, int flush) {
        z_.next_in = const_cast<Bytef*>(data);
        do {
            const size_t piece = std::min<size_t>(size, UINT_MAX);
            z_.avail_in = static_cast<uInt>(piece);
            size -= piece;
            const int mode = size != 0 ? Z_NO_FLUSH : flush;
            // Input is used up, and a flush complete, once deflate leaves room unused.
            do {
                if (out_.size() - used_ < 1024)
                    out_.resize(out_.size() * 2);
                z_.next_out = out_.data() + used_;
                z_.avail_out = static_cast<uInt>(std::min<size_t>(out_.size() - used_, UINT_MAX));
                const int result = deflate(&z_, mode);
                used_ = static_cast<size_t>(z_.next_out - out_.data());
                if (result == Z_STREAM_ERROR)
                    return false;
                if (mode == Z_FINISH && result != Z_STREAM_END && z_.avail_out != 0)
                    return false;
            } while (z_.avail_out == 0);
        } while (size != 0);
        return true;
    }

    std::vector<uint8_t> Take() {
        out_.resize(used_);
        return std::move(out_);
    }

  private:
    z_stream z_{};
    bool open_ = false;
    std::vector<uint8_t> out_;
    size_t used_ = 0;
};

struct Band {
    int first = 0;
    int end = 0;
    std::vector<uint8_t> deflated;
    uLong adler = 1;     // of the band's scanlines, when it is one of several
    uint64_t bytes = 0;  // its scanlines' length
    bool ok = false;
};

// Deflates the band's scanlines: the whole zlib stream when it is the only band; else raw
// deflate that ends on a byte boundary (or with the final block, for the last band), primed
// with the scanlines just above so that matches reach across the join.
void DeflateBand(const PixelView& picture, const PngOptions& options, bool only, bool last,
                 Band& band) {
    try {
        RowFilter rows(picture, options.filter);
        const size_t rowBytes = rows.RowBytes();
        band.bytes = rowBytes * static_cast<uint64_t>(band.end - band.first);
        Deflater deflater;
        if (!deflater.Open(options.level, ZlibStrategy(options.strategy), only ? 15 : -15,
                           static_cast<size_t>(band.bytes / 4)))
            return;
        std::vector<uint8_t> batch(std::max(kBatchBytes, rowBytes));
        if (!only && band.first > 0) {
            const int above = std::min<int>(
                band.first, static_cast<int>((kWindowBytes + rowBytes - 1) / rowBytes));
            rows.StartAt(band.first - above);
            std::vector<uint8_t> dictionary(rowBytes * above);
            for (int i = 0; i < above; ++i)
                rows.Filter(band.first - above + i, dictionary.data() + rowBytes * i);
            const size_t size = std::min(dictionary.size(), kWindowBytes);
            if (!deflater.Prime(dictionary.data() + dictionary.size() - size, size))
                return;
        } else {
            rows.StartAt(band.first);
        }
        size_t filled = 0;
        for (int y = band.first; y < band.end; ++y) {
            rows.Filter(y, batch.data() + filled);
            filled += rowBytes;
            const bool end = y + 1 == band.end;
            if (!end && filled + rowBytes <= batch.size())
                continue;
            if (!only)
                band.adler = adler32_z(band.adler, batch.data(), filled);
            const int flush = !end ? Z_NO_FLUSH : last ? Z_FINISH : Z_SYNC_FLUSH;
            if (!deflater.Feed(batch.data(), filled, flush))
                return;
            filled = 0;
        }
        band.deflated = deflater.Take();
        band.ok = true;
    } catch (const std::exception&) {
        band.ok = false;  // out of memory
    }
}

// The same with the program's own coder, which always gets the scanlines just above the band
// (that its matches may reach them) and is always joined to the other bands.
void DeflateBandOwn(const PixelView& picture, const PngOptions& options, bool last, Band& band) {
    try {
        RowFilter rows(picture, options.filter);
        const size_t rowBytes = rows.RowBytes();
        band.bytes = rowBytes * static_cast<uint64_t>(band.end - band.first);
        band.deflated.reserve(static_cast<size_t>(band.bytes / 4));
        FastDeflater deflater(band.deflated);
        std::vector<uint8_t> batch(std::max(kBatchBytes, rowBytes));
        const int above =
            std::min<int>(band.first, static_cast<int>((kWindowBytes + rowBytes - 1) / rowBytes));
        rows.StartAt(band.first - above);
        if (above > 0) {
            std::vector<uint8_t> dictionary(rowBytes * above);
            for (int i = 0; i < above; ++i)
                rows.Filter(band.first - above + i, dictionary.data() + rowBytes * i);
            deflater.Prime(dictionary.data(), dictionary.size());
        }
        size_t filled = 0;
        for (int y = band.first; y < band.end; ++y) {
            rows.Filter(y, batch.data() + filled);
            filled += rowBytes;
            if (y + 1 != band.end && filled + rowBytes <= batch.size())
                continue;
            band.adler = adler32_z(band.adler, batch.data(), filled);
            deflater.Feed(batch.data(), filled);
            filled = 0;
        }
        deflater.Finish(last);
        band.ok = true;
    } catch (const std::exception&) {
        band.ok = false;  // out of memory
    }
}

// Cuts the zlib stream, given in pieces, into IDAT chunks.
class IdatWriter {
  public:
    explicit IdatWriter(std::vector<uint8_t>& file) : file_(file) {}

    void Append(const uint8_t* data, size_t size) {
        while (size != 0) {
            if (!open_) {
                start_ = file_.size();
                Put32(file_, 0);  // the length, once known
                file_.insert(file_.end(), {'I', 'D', 'A', 'T'});
                open_ = true;
            }
            const size_t inChunk = file_.size() - start_ - 8;
            const size_t take = std::min(size, kMaxIdatBytes - inChunk);
            file_.insert(file_.end(), data, data + take);
            data += take;
            size -= take;
            if (inChunk + take == kMaxIdatBytes)
                Close();
        }
    }

    void Close() {
        if (!open_)
            return;
        const size_t length = file_.size() - start_ - 8;
        Set32(file_.data() + start_, static_cast<uint32_t>(length));
        Put32(file_, static_cast<uint32_t>(
                         crc32(0, file_.data() + start_ + 4, static_cast<uInt>(length + 4))));
        open_ = false;
    }

  private:
    std::vector<uint8_t>& file_;
    size_t start_ = 0;
    bool open_ = false;
};

void PutChunk(std::vector<uint8_t>& file, const char type[4], const std::vector<uint8_t>& data) {
    Put32(file, static_cast<uint32_t>(data.size()));
    const size_t start = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    Put32(file, static_cast<uint32_t>(
                    crc32(0, file.data() + start, static_cast<uInt>(file.size() - start))));
}

// The two bytes that open a zlib stream of 32 KiB window, with zlib's own level hint.
void PutZlibHeader(IdatWriter& idat, const PngOptions& options) {
    const int level = options.deflater == PngDeflater::kOwn ? 1 : options.level;
    const bool fastest = options.deflater == PngDeflater::kOwn ||
                         options.strategy == PngStrategy::kRle ||
                         options.strategy == PngStrategy::kHuffmanOnly || level < 2;
    const unsigned hint = fastest ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    const unsigned cmf = 0x78;
    unsigned flg = hint << 6;
    flg += (31 - (cmf << 8 | flg) % 31) % 31;
    const uint8_t header[2] = {static_cast<uint8_t>(cmf), static_cast<uint8_t>(flg)};
    idat.Append(header, 2);
}

std::vector<uint8_t> EncodeWith(const PixelView& picture, const PngOptions& options) {
    try {
        const uint64_t rowBytes = 1 + uint64_t{kBytesPerPixel} * picture.width;
        const uint64_t total = rowBytes * picture.height;
        // The own coder always works in bands, so that each stays within its limit.
        int bandCount = 1;
        if ((options.threads > 1 || options.deflater == PngDeflater::kOwn) &&
            rowBytes <= kMaxBandBytes) {
            const uint64_t needed = (total + kMaxBandBytes - 1) / kMaxBandBytes;
            bandCount = static_cast<int>(
                std::min<uint64_t>(picture.height, std::max<uint64_t>(options.threads, needed)));
            // Rows split evenly, so every band stays within the limit when one row does.
            while (bandCount < picture.height &&
                   rowBytes * ((picture.height + bandCount - 1) / bandCount) > kMaxBandBytes)
                ++bandCount;
        }
        std::vector<Band> bands(bandCount);
        for (int i = 0; i < bandCount; ++i) {
            bands[i].first = static_cast<int>(int64_t{picture.height} * i / bandCount);
            bands[i].end = static_cast<int>(int64_t{picture.height} * (i + 1) / bandCount);
        }

        // zlib writes the whole stream of a single band; the joined bands get their header
        // and check value here.
        const bool only = bandCount == 1 && options.deflater == PngDeflater::kZlib;
        const int workers = std::min(options.threads, bandCount);
        auto work = [&](int worker) {
            for (int i = worker; i < bandCount; i += workers) {
                if (options.deflater == PngDeflater::kOwn)
                    DeflateBandOwn(picture, options, i + 1 == bandCount, bands[i]);
                else
                    DeflateBand(picture, options, only, i + 1 == bandCount, bands[i]);
            }
        };
        std::vector<std::thread> helpers;
        helpers.reserve(workers);  // no reallocation once threads run
        int next = 1;
        try {
            for (; next < workers; ++next) helpers.emplace_back(work, next);
        } catch (const std::system_error&) {
            // No more threads: this one takes the remaining workers' bands.
        }
        work(0);
        for (int worker = next; worker < workers; ++worker) work(worker);
        for (std::thread& helper : helpers) helper.join();
        size_t streamSize = 6;
        for (const Band& band : bands) {
            if (!band.ok)
                return {};
            streamSize += band.deflated.size();
        }

        std::vector<uint8_t> file;
        file.reserve(8 + 25 + streamSize + (streamSize / kMaxIdatBytes + 1) * 12 + 12);
        file.insert(file.end(), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
        std::vector<uint8_t> header;
        Put32(header, static_cast<uint32_t>(picture.width));
        Put32(header, static_cast<uint32_t>(picture.height));
        header.insert(header.end(),
                      {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, filters, no interlace
        PutChunk(file, "IHDR", header);

        IdatWriter idat(file);
        if (only) {
            idat.Append(bands[0].deflated.data(), bands[0].deflated.size());
        } else {
            PutZlibHeader(idat, options);
            uLong adler = bands[0].adler;
            for (size_t i = 0; i < bands.size(); ++i) {
                idat.Append(bands[i].deflated.data(), bands[i].deflated.size());
                std::vector<uint8_t>().swap(bands[i].deflated);
                if (i > 0)
                    adler = adler32_combine(adler, bands[i].adler,
                                            static_cast<z_off_t>(bands[i].bytes));
            }
            std::vector<uint8_t> trailer;
            Put32(trailer, static_cast<uint32_t>(adler));
            idat.Append(trailer.data(), trailer.size());
        }
        idat.Close();
        PutChunk(file, "IEND", {});
        return file;
    } catch (const std::exception&) {
        return {};  // out of memory
    }
}

}  // namespace

std::vector<uint8_t> EncodePng(const PixelView& picture) {
    return EncodePng(picture, {});
}

std::vector<uint8_t> EncodePng(const PixelView& picture, const PngOptions& options) {
    if (!picture.bgrx || picture.width <= 0 || picture.height <= 0 ||
        picture.stride / 4 < static_cast<size_t>(picture.width))
        return {};
    if (options.filter < PngFilter::kNone || options.filter > PngFilter::kAdaptive ||
        options.strategy < PngStrategy::kDefault || options.strategy > PngStrategy::kHuffmanOnly ||
        options.deflater < PngDeflater::kOwn || options.deflater > PngDeflater::kZlib ||
        options.level < 0 || options.level > 9 || options.threads < 1)
        return {};
    std::vector<uint8_t> file = EncodeWith(picture, options);
    const double scanlines = (1.0 + 3.0 * picture.width) * picture.height;
    if (!file.empty() && options.filter != PngFilter::kNone &&
        file.size() < options.unfilteredRetryBelow * scanlines) {
        // A flat interface: its text and icons repeat byte for byte along the rows, which
        // filtering against the row above hides from the matcher.
        PngOptions unfiltered = options;
        unfiltered.filter = PngFilter::kNone;
        std::vector<uint8_t> plain = EncodeWith(picture, unfiltered);
        if (!plain.empty() && plain.size() < file.size())
            file.swap(plain);
    }
    return file;
}

}  // namespace vellum
