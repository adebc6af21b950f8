#include "capture/gif_palette.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>

namespace vellum {
namespace {

// Up to this many distinct colours the palette is chosen from the colours themselves (a user
// interface with smoothed text has a few hundred to a few thousand); beyond, from 5-bit cells,
// whose number is bounded and which a pixel finds without a search.
constexpr size_t kMaxListedColours = 4096;
constexpr int kCellBits = 5;
constexpr uint32_t kCellCount = 1u << (3 * kCellBits);
// Rounds of moving each palette colour to the mean of what maps to it, after the median cut.
constexpr int kRefinements = 2;
constexpr uint32_t kNoColour = 0xFFFFFFFFu;

inline uint32_t ColourAt(const uint8_t* bgrx) {
    return static_cast<uint32_t>(bgrx[0]) | static_cast<uint32_t>(bgrx[1]) << 8 |
           static_cast<uint32_t>(bgrx[2]) << 16;
}

inline int Channel(uint32_t colour, int k) {
    return static_cast<int>(colour >> (16 - 8 * k) & 0xFF);
}

inline uint32_t CellOf(uint32_t colour) {
    return (colour >> 9 & 0x7C00) | (colour >> 6 & 0x3E0) | (colour >> 3 & 0x1F);
}

inline uint32_t RoundedColour(const double mean[3]) {
    uint32_t colour = 0;
    for (int k = 0; k < 3; ++k) {
        const long v = std::lround(mean[k]);
        colour = colour << 8 | static_cast<uint32_t>(std::clamp(v, 0L, 255L));
    }
    return colour;
}

// The picture's distinct colours up to a limit, with their pixel counts and the palette index
// each gets: open addressing, at most a quarter full.
class ColourSet {
  public:
    static constexpr size_t kFull = SIZE_MAX;

    explicit ColourSet(size_t limit) : limit_(limit) {
        while ((size_t{1} << bits_) < limit * 4) ++bits_;
        keys_.assign(size_t{1} << bits_, kNoColour);
        counts_.assign(keys_.size(), 0);
        indices_.assign(keys_.size(), 0);
        order_.reserve(limit);
    }

    // The slot of `colour`, added when new; kFull when it would be one colour too many.
    size_t Insert(uint32_t colour) {
        size_t at = Home(colour);
        while (keys_[at] != colour) {
            if (keys_[at] == kNoColour) {
                if (order_.size() == limit_)
                    return kFull;
                keys_[at] = colour;
                order_.push_back(at);
                break;
            }
            at = (at + 1) & (keys_.size() - 1);
        }
        return at;
    }

    // The slot of a colour already in the set.
    size_t Find(uint32_t colour) const {
        size_t at = Home(colour);
        while (keys_[at] != colour) at = (at + 1) & (keys_.size() - 1);
        return at;
    }

    const std::vector<size_t>& Slots() const { return order_; }  // in order of first appearance
    uint32_t Colour(size_t slot) const { return keys_[slot]; }
    uint32_t& Count(size_t slot) { return counts_[slot]; }
    uint8_t& Index(size_t slot) { return indices_[slot]; }

  private:
    size_t Home(uint32_t colour) const { return (colour * 2654435761u) >> (32 - bits_); }

    size_t limit_;
    int bits_ = 1;
    std::vector<uint32_t> keys_;
    std::vector<uint32_t> counts_;
    std::vector<uint8_t> indices_;
    std::vector<size_t> order_;
};

// False as soon as the picture turns out to have more colours than the set holds.
bool CountColours(const PixelView& picture, ColourSet& set) {
    uint32_t last = kNoColour;
    size_t slot = 0;
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* p = picture.Row(y);
        for (int x = 0; x < picture.width; ++x, p += 4) {
            const uint32_t colour = ColourAt(p);
            if (colour != last) {  // screens are mostly runs of one colour
                slot = set.Insert(colour);
                if (slot == ColourSet::kFull)
                    return false;
                last = colour;
            }
            ++set.Count(slot);
        }
    }
    return true;
}

// A colour the palette is chosen for: a distinct colour of the picture or the mean of a cell.
struct Entry {
    double mean[3];
    double weight;     // pixels
    size_t key;        // colour slot or cell
    uint8_t level[3];  // the mean rounded, to sort by
};

Entry MakeEntry(double r, double g, double b, double weight, size_t key) {
    Entry e{{r, g, b}, weight, key, {0, 0, 0}};
    for (int k = 0; k < 3; ++k)
        e.level[k] = static_cast<uint8_t>(std::clamp(std::lround(e.mean[k]), 0L, 255L));
    return e;
}

struct Sums {
    double weight = 0;
    double sum[3] = {0, 0, 0};
    double squares[3] = {0, 0, 0};

    void Add(const Entry& e) {
        weight += e.weight;
        for (int k = 0; k < 3; ++k) {
            sum[k] += e.weight * e.mean[k];
            squares[k] += e.weight * e.mean[k] * e.mean[k];
        }
    }
    Sums Without(const Sums& part) const {
        Sums rest = *this;
        rest.weight -= part.weight;
        for (int k = 0; k < 3; ++k) {
            rest.sum[k] -= part.sum[k];
            rest.squares[k] -= part.squares[k];
        }
        return rest;
    }
    double Spread(int k) const { return weight > 0 ? squares[k] - sum[k] * sum[k] / weight : 0; }
    double Error() const { return std::max(0.0, Spread(0) + Spread(1) + Spread(2)); }
};

struct Box {
    size_t begin, end;
    Sums sums;
};

Sums SumOf(const std::vector<Entry>& entries, size_t begin, size_t end) {
    Sums s;
    for (size_t i = begin; i < end; ++i) s.Add(entries[i]);
    return s;
}

// Sorts the box's entries by one channel's level; a counting sort, since a cut may take off only
// a few entries at a time and a full sort of the rest at every cut would grow quadratic.
void SortByLevel(std::vector<Entry>& entries, const Box& box, int axis,
                 std::vector<Entry>& scratch) {
    size_t starts[257] = {};
    for (size_t i = box.begin; i < box.end; ++i) ++starts[entries[i].level[axis] + 1];
    for (int v = 1; v <= 256; ++v) starts[v] += starts[v - 1];
    scratch.resize(box.end - box.begin);
    for (size_t i = box.begin; i < box.end; ++i)
        scratch[starts[entries[i].level[axis]]++] = entries[i];
    std::copy(scratch.begin(), scratch.end(), entries.begin() + static_cast<ptrdiff_t>(box.begin));
}

// Cuts the box across its widest-spread channel where the two halves' squared error is least.
void Split(std::vector<Entry>& entries, Box& box, Box& second, std::vector<Entry>& scratch) {
    int axis = 0;
    for (int k = 1; k < 3; ++k) {
        if (box.sums.Spread(k) > box.sums.Spread(axis))
            axis = k;
    }
    SortByLevel(entries, box, axis, scratch);
    // A cut goes between two levels, so that the halves do not overlap, unless the channel has
    // but one (cells of one slice whose means differ within it).
    const bool oneLevel = entries[box.begin].level[axis] == entries[box.end - 1].level[axis];
    Sums left;
    size_t cut = box.begin + (box.end - box.begin) / 2;
    double best = -1;
    for (size_t i = box.begin; i + 1 < box.end; ++i) {
        left.Add(entries[i]);
        if (!oneLevel && entries[i].level[axis] == entries[i + 1].level[axis])
            continue;
        const double error = left.Error() + box.sums.Without(left).Error();
        if (best < 0 || error < best) {
            best = error;
            cut = i + 1;
        }
    }
    second = {cut, box.end, SumOf(entries, cut, box.end)};
    box.end = cut;
    box.sums = SumOf(entries, box.begin, cut);
}

// Median cut: keeps splitting the box of the largest squared error, up to 256 boxes.
std::vector<uint32_t> MedianCut(std::vector<Entry>& entries) {
    std::vector<Box> boxes;
    boxes.reserve(kGifMaxPalette);
    std::vector<Entry> scratch;
    boxes.push_back({0, entries.size(), SumOf(entries, 0, entries.size())});
    while (boxes.size() < kGifMaxPalette) {
        size_t pick = boxes.size();
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].end - boxes[i].begin < 2)
                continue;
            if (pick == boxes.size() || boxes[i].sums.Error() > boxes[pick].sums.Error())
                pick = i;
        }
        if (pick == boxes.size())
            break;
        Box second{};
        Split(entries, boxes[pick], second, scratch);
        boxes.push_back(second);
    }
    std::vector<uint32_t> palette;
    palette.reserve(boxes.size());
    for (const Box& box : boxes) {
        double mean[3];
        for (int k = 0; k < 3; ++k) mean[k] = box.sums.sum[k] / box.sums.weight;
        palette.push_back(RoundedColour(mean));
    }
    return palette;
}

// The palette colour nearest a colour: the palette sorted by green, searched outwards from the
// colour's green until the green difference alone exceeds the best distance found.
class NearestColour {
  public:
    explicit NearestColour(const std::vector<uint32_t>& palette) {
        for (size_t i = 0; i < palette.size(); ++i) {
            colours_.push_back({Channel(palette[i], 1), Channel(palette[i], 0),
                                Channel(palette[i], 2), static_cast<uint8_t>(i)});
        }
        std::sort(colours_.begin(), colours_.end(),
                  [](const Sorted& a, const Sorted& b) { return a.g < b.g; });
    }

    uint8_t Find(const uint8_t colour[3]) const {
        const int r = colour[0], g = colour[1], b = colour[2];
        const auto start = std::lower_bound(colours_.begin(), colours_.end(), g,
                                            [](const Sorted& s, int v) { return s.g < v; });
        ptrdiff_t up = start - colours_.begin();
        ptrdiff_t down = up - 1;
        const ptrdiff_t n = static_cast<ptrdiff_t>(colours_.size());
        int best = INT_MAX;
        uint8_t index = 0;
        auto consider = [&](const Sorted& s) {
            const int d = (s.r - r) * (s.r - r) + (s.g - g) * (s.g - g) + (s.b - b) * (s.b - b);
            if (d < best) {
                best = d;
                index = s.index;
            }
        };
        while (up < n || down >= 0) {
            if (up < n) {
                const int dg = colours_[up].g - g;
                if (dg * dg >= best)
                    up = n;
                else
                    consider(colours_[up++]);
            }
            if (down >= 0) {
                const int dg = g - colours_[down].g;
                if (dg * dg >= best)
                    down = -1;
                else
                    consider(colours_[down--]);
            }
        }
        return index;
    }

  private:
    struct Sorted {
        int g, r, b;
        uint8_t index;
    };
    std::vector<Sorted> colours_;
};

// Moves each palette colour to the weighted mean of the entries nearest it, a few times over,
// and leaves in `nearest` the index each entry maps to.
std::vector<uint32_t> Refine(std::vector<uint32_t> palette, const std::vector<Entry>& entries,
                             std::vector<uint8_t>& nearest) {
    nearest.resize(entries.size());
    for (int round = 0; round <= kRefinements; ++round) {
        const NearestColour finder(palette);
        for (size_t i = 0; i < entries.size(); ++i) nearest[i] = finder.Find(entries[i].level);
        if (round == kRefinements)
            break;
        std::vector<Sums> sums(palette.size());
        for (size_t i = 0; i < entries.size(); ++i) sums[nearest[i]].Add(entries[i]);
        for (size_t j = 0; j < palette.size(); ++j) {
            if (sums[j].weight <= 0)
                continue;
            double mean[3];
            for (int k = 0; k < 3; ++k) mean[k] = sums[j].sum[k] / sums[j].weight;
            palette[j] = RoundedColour(mean);
        }
    }
    return palette;
}

void IndexListedColours(const PixelView& picture, ColourSet& set, GifIndexedPicture& result) {
    const std::vector<size_t>& slots = set.Slots();
    if (slots.size() <= kGifMaxPalette) {
        for (size_t i = 0; i < slots.size(); ++i) {
            result.palette.push_back(set.Colour(slots[i]));
            set.Index(slots[i]) = static_cast<uint8_t>(i);
        }
        result.exact = true;
    } else {
        std::vector<Entry> entries;
        entries.reserve(slots.size());
        for (const size_t slot : slots) {
            const uint32_t c = set.Colour(slot);
            entries.push_back(
                MakeEntry(Channel(c, 0), Channel(c, 1), Channel(c, 2), set.Count(slot), slot));
        }
        std::vector<uint8_t> nearest;
        result.palette = Refine(MedianCut(entries), entries, nearest);
        for (size_t i = 0; i < entries.size(); ++i) set.Index(entries[i].key) = nearest[i];
    }

    uint8_t* out = result.indices.data();
    uint32_t last = kNoColour;
    uint8_t index = 0;
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* p = picture.Row(y);
        for (int x = 0; x < picture.width; ++x, p += 4) {
            const uint32_t colour = ColourAt(p);
            if (colour != last) {
                index = set.Index(set.Find(colour));
                last = colour;
            }
            *out++ = index;
        }
    }
}

void IndexByCells(const PixelView& picture, GifIndexedPicture& result) {
    struct Cell {
        uint64_t count = 0;
        uint64_t sum[3] = {0, 0, 0};
    };
    std::vector<Cell> cells(kCellCount);
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* p = picture.Row(y);
        for (int x = 0; x < picture.width; ++x, p += 4) {
            Cell& cell = cells[CellOf(ColourAt(p))];
            ++cell.count;
            cell.sum[0] += p[2];
            cell.sum[1] += p[1];
            cell.sum[2] += p[0];
        }
    }

    std::vector<Entry> entries;
    for (uint32_t i = 0; i < kCellCount; ++i) {
        const Cell& cell = cells[i];
        if (cell.count == 0)
            continue;
        const double n = static_cast<double>(cell.count);
        entries.push_back(MakeEntry(static_cast<double>(cell.sum[0]) / n,
                                    static_cast<double>(cell.sum[1]) / n,
                                    static_cast<double>(cell.sum[2]) / n, n, i));
    }
    std::vector<uint8_t> nearest;
    result.palette = Refine(MedianCut(entries), entries, nearest);
    std::vector<uint8_t> cellIndex(kCellCount, 0);
    for (size_t i = 0; i < entries.size(); ++i) cellIndex[entries[i].key] = nearest[i];

    uint8_t* out = result.indices.data();
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* p = picture.Row(y);
        for (int x = 0; x < picture.width; ++x, p += 4) *out++ = cellIndex[CellOf(ColourAt(p))];
    }
}

}  // namespace

GifIndexedPicture QuantizeForGif(const PixelView& picture) {
    GifIndexedPicture result;
    result.indices.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
    ColourSet colours(kMaxListedColours);
    if (CountColours(picture, colours))
        IndexListedColours(picture, colours, result);
    else
        IndexByCells(picture, result);
    return result;
}

}  // namespace vellum
