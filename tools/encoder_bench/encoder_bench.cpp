// encoder_bench [--runs N] [--4k] [--threads] [--filter NAME] [--strategy NAME] [--level N]:
// the median wall and processor time of N runs (3 by default) and the size of each PNG filter x
// zlib level x strategy, in one thread, and of the TIFF file, for synthetic screens: "text+photo"
// (a window of text on white beside a photograph with noise) and "plain-ui" (flat panels,
// buttons, a little text), both at 1920x1080, and with --4k also the first at 3840x2160.
// Each filter is deflated by the program's own coder (strategy "own") and by zlib. --threads adds
// the default settings deflated in 1, 2 and 4 bands at once; --filter, --strategy and --level
// keep only those rows, --own and --zlib only that coder's. Level 0 (stored) shows the filters' own
// time. Build it in a Release tree without sanitizers for figures worth reading:
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUM_SANITIZE=OFF
//   cmake --build build/bench --target encoder_bench
// --gif times the GIF encoder instead, with its file's size, palette and PSNR against the screen.
// --bmp FILE (repeatable) takes the screens from BMP files instead, such as the grabs that
// `capture_bench --keep=DIR` leaves (DIR/text-photo.bmp, plain-ui.bmp, busy.bmp).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <list>
#include <string>
#include <vector>

#include "capture/gif_encoder.h"
#include "capture/gif_palette.h"
#include "capture/png_encoder.h"
#include "capture/tiff_encoder.h"
#include "synthetic_pictures.h"

using namespace vellum;

namespace {

using testing::Picture;
using testing::Rgb;
using testing::XorShift;

uint32_t Mix(uint32_t from, uint32_t to, double t) {
    const auto channel = [&](int shift) {
        const double a = (from >> shift) & 255, b = (to >> shift) & 255;
        return static_cast<int>(std::lround(a + (b - a) * t));
    };
    return Rgb(channel(16), channel(8), channel(0));
}

// Glyph-like shapes: a few strokes in a 7x11 box with grey edges, as anti-aliased text has.
struct Glyph {
    static constexpr int kWidth = 7, kHeight = 11;
    float coverage[kHeight][kWidth] = {};
};

std::vector<Glyph> MakeGlyphs(XorShift& random) {
    std::vector<Glyph> glyphs(60);
    for (Glyph& g : glyphs) {
        const auto ink = [&](int x, int y, float c) {
            if (x >= 0 && x < Glyph::kWidth && y >= 0 && y < Glyph::kHeight)
                g.coverage[y][x] = std::max(g.coverage[y][x], c);
        };
        const int strokes = 2 + random.Below(3);
        for (int s = 0; s < strokes; ++s) {
            const int kind = random.Below(4);
            const int x0 = random.Below(Glyph::kWidth), y0 = 2 + random.Below(Glyph::kHeight - 2);
            const int length = 3 + random.Below(6);
            for (int i = 0; i < length; ++i) {
                const int x = kind == 0 ? x0 : kind == 1 ? (x0 + i) % Glyph::kWidth : x0 + i / 2;
                const int y = kind == 1 ? y0 : kind == 3 ? y0 - i / 2 : y0 - i;
                ink(x, y, 1.0f);
                ink(x + 1, y, 0.35f);
                ink(x - 1, y, 0.2f);
            }
        }
    }
    return glyphs;
}

// A screen as the grab gives it: rows without padding, the unused bytes zero.
class Screen {
  public:
    Screen(int width, int height) : width(width), height(height), picture(width, height, 0, 0) {}

    void Fill(int x0, int y0, int x1, int y1, uint32_t rgb) {
        for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(width, x1); ++x) picture.Set(x, y, rgb);
    }

    void Frame(int x0, int y0, int x1, int y1, uint32_t rgb) {
        Fill(x0, y0, x1, y0 + 1, rgb);
        Fill(x0, y1 - 1, x1, y1, rgb);
        Fill(x0, y0, x0 + 1, y1, rgb);
        Fill(x1 - 1, y0, x1, y1, rgb);
    }

    // Words of glyphs from (x0, y0) to x1 on `lines` lines, `spacing` apart, over a flat ground.
    void Text(const std::vector<Glyph>& glyphs, XorShift& random, int x0, int y0, int x1, int lines,
              int spacing, uint32_t ink, uint32_t ground) {
        for (int line = 0; line < lines; ++line) {
            const int end = x1 - random.Below(std::max(1, (x1 - x0) / 3));
            int x = x0;
            const int y = y0 + line * spacing;
            while (x + Glyph::kWidth < end) {
                const int letters = 2 + random.Below(8);
                for (int i = 0; i < letters && x + Glyph::kWidth < end; ++i) {
                    // Some letters are far more frequent than others.
                    const int pick = random.Below(glyphs.size()) * random.Below(glyphs.size()) /
                                     static_cast<int>(glyphs.size());
                    Draw(glyphs[pick], x, y, ink, ground);
                    x += Glyph::kWidth + 1;
                }
                x += 5;
            }
        }
    }

    // A photograph's smooth shapes with sensor noise.
    void Photo(XorShift& random, int x0, int y0, int x1, int y1) {
        for (int y = std::max(0, y0); y < std::min(height, y1); ++y) {
            for (int x = std::max(0, x0); x < std::min(width, x1); ++x) {
                const double u = x - x0, v = y - y0;
                const double sky = 1.0 - v / (y1 - y0);
                const double hill = std::sin(u / 97.0 + v / 53.0) * 40 + std::cos(v / 31.0) * 30;
                const double blob =
                    70 * std::exp(-((u - 300) * (u - 300) + (v - 250) * (v - 250)) / 9000.0);
                const int n = random.Below(13) - 6;
                picture.Set(
                    x, y,
                    Rgb(int(90 + 80 * sky + hill + blob) + n + random.Below(5) - 2,
                        int(110 + 60 * sky + hill * 0.7) + n + random.Below(5) - 2,
                        int(150 + 90 * sky - hill * 0.5 - blob * 0.6) + n + random.Below(5) - 2));
            }
        }
    }

    PixelView View() const { return picture.View(); }

    int width, height;
    Picture picture;

  private:
    void Draw(const Glyph& g, int x0, int y0, uint32_t ink, uint32_t ground) {
        for (int y = 0; y < Glyph::kHeight; ++y)
            for (int x = 0; x < Glyph::kWidth; ++x)
                if (g.coverage[y][x] > 0 && x0 + x < width && y0 + y < height)
                    picture.Set(x0 + x, y0 + y, Mix(ground, ink, g.coverage[y][x]));
    }
};

void Window(Screen& s, const std::vector<Glyph>& glyphs, XorShift& random, int x0, int y0, int x1,
            int y1) {
    s.Fill(x0, y0, x1, y1, 0xFFFFFF);
    s.Fill(x0, y0, x1, y0 + 32, 0xF3F3F3);
    s.Text(glyphs, random, x0 + 12, y0 + 11, x0 + 300, 1, 0, 0x1A1A1A, 0xF3F3F3);
    for (int i = 0; i < 3; ++i)
        s.Fill(x1 - 46 * (i + 1) + 18, y0 + 15, x1 - 46 * i - 18, y0 + 16, 0x333333);
    s.Frame(x0, y0, x1, y1, 0x8A8A8A);
}

Screen TextAndPhoto(int width, int height) {
    XorShift random(12345);
    const std::vector<Glyph> glyphs = MakeGlyphs(random);
    Screen s(width, height);
    for (int y = 0; y < height; ++y)
        s.Fill(0, y, width, y + 1, Mix(0x1F5F7A, 0x0B2A3A, double(y) / height));
    // A text window: a toolbar, then paragraphs of black text on white.
    const int ax0 = width / 48, ay0 = height / 36, ax1 = width * 31 / 48, ay1 = height * 25 / 27;
    Window(s, glyphs, random, ax0, ay0, ax1, ay1);
    s.Fill(ax0 + 1, ay0 + 32, ax1 - 1, ay0 + 72, 0xF9F9F9);
    for (int b = 0; b < 10; ++b)
        s.Frame(ax0 + 10 + b * 36, ay0 + 38, ax0 + 38 + b * 36, ay0 + 66, 0xC8C8C8);
    for (int y = ay0 + 90; y + 20 < ay1; y += 20 * 7)
        s.Text(glyphs, random, ax0 + 24, y, ax1 - 24, 6, 20, 0x000000, 0xFFFFFF);
    // A picture viewer over its right edge.
    const int bx0 = width * 15 / 32, by0 = height / 9, bx1 = width * 31 / 32,
              by1 = height * 43 / 54;
    Window(s, glyphs, random, bx0, by0, bx1, by1);
    s.Photo(random, bx0 + 1, by0 + 32, bx1 - 1, by1 - 1);
    // The taskbar.
    s.Fill(0, height - 48, width, height, 0x202020);
    for (int i = 0; i < 10; ++i) {
        const uint32_t colour = Rgb(60 + 19 * i, 200 - 13 * i, 90 + 15 * (i % 5));
        s.Fill(200 + 48 * i, height - 40, 232 + 48 * i, height - 8, colour);
        s.Fill(208 + 48 * i, height - 32, 224 + 48 * i, height - 16, 0xFFFFFF);
    }
    s.Text(glyphs, random, width - 90, height - 32, width - 10, 1, 0, 0xFFFFFF, 0x202020);
    return s;
}

Screen PlainUi(int width, int height) {
    XorShift random(777);
    const std::vector<Glyph> glyphs = MakeGlyphs(random);
    Screen s(width, height);
    s.Fill(0, 0, width, height, 0xF0F0F0);
    // Navigation panel with one item selected.
    s.Fill(0, 0, 260, height, 0x2D2D30);
    for (int i = 0; i < 12; ++i) {
        const int y = 80 + i * 36;
        const uint32_t ground = i == 3 ? 0x094771 : 0x2D2D30;
        s.Fill(0, y - 12, 260, y + 24, ground);
        s.Text(glyphs, random, 24, y, 200, 1, 0, 0xCCCCCC, ground);
    }
    // Toolbar with buttons, one of them the default.
    s.Fill(260, 0, width, 56, 0xFFFFFF);
    s.Fill(260, 56, width, 57, 0xDDDDDD);
    for (int b = 0; b < 8; ++b) {
        const int x = 280 + b * 120;
        const uint32_t face = b == 0 ? 0x0078D4 : 0xE1E1E1;
        s.Fill(x, 12, x + 108, 44, face);
        s.Frame(x, 12, x + 108, 44, b == 0 ? 0x005A9E : 0xADADAD);
        s.Text(glyphs, random, x + 16, 22, x + 92, 1, 0, b == 0 ? 0xFFFFFF : 0x000000, face);
    }
    // Cards with a heading, some lines and an input box.
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col) {
            const int x0 = 290 + col * (width - 320) / 3, y0 = 90 + row * (height - 140) / 2;
            const int x1 = x0 + (width - 320) / 3 - 30, y1 = y0 + (height - 140) / 2 - 30;
            s.Fill(x0, y0, x1, y1, 0xFFFFFF);
            s.Frame(x0, y0, x1, y1, 0xDDDDDD);
            s.Text(glyphs, random, x0 + 20, y0 + 20, x0 + 220, 1, 0, 0x1B1B1B, 0xFFFFFF);
            s.Text(glyphs, random, x0 + 20, y0 + 56, x1 - 20, 3, 20, 0x5A5A5A, 0xFFFFFF);
            s.Frame(x0 + 20, y1 - 60, x1 - 20, y1 - 28, 0x8A8A8A);
        }
    }
    // Status bar.
    s.Fill(0, height - 24, width, height, 0x007ACC);
    s.Text(glyphs, random, 12, height - 18, 400, 1, 0, 0xFFFFFF, 0x007ACC);
    return s;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Times {
    double wallMs, cpuMs;  // the processor time of all threads: less swayed by a busy machine
};

template <typename F>
Times Measure(int runs, F&& f) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t startCpu = std::clock();
        f();
        cpu.push_back(1000.0 * double(std::clock() - startCpu) / CLOCKS_PER_SEC);
        wall.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    return {Median(wall), Median(cpu)};
}

const char* const kFilterNames[] = {"none", "sub", "up", "average", "paeth", "adaptive"};
const char* const kStrategyNames[] = {"default", "filtered", "rle", "huffman"};

int IndexOf(const char* const* names, int count, const char* name) {
    for (int i = 0; i < count; ++i)
        if (std::strcmp(names[i], name) == 0)
            return i;
    std::fprintf(stderr, "encoder_bench: unknown name '%s'\n", name);
    std::exit(2);
}

void Row(const char* screen, const PngOptions& o, int runs, const PixelView& view) {
    size_t bytes = 0;
    const Times t = Measure(runs, [&] { bytes = EncodePng(view, o).size(); });
    const bool own = o.deflater == PngDeflater::kOwn;
    const std::string level = own ? "-" : std::to_string(o.level);
    std::printf("%-10s %-9s %5s  %-9s %7d %9.1f %8.1f %11zu %8.3f\n", screen,
                kFilterNames[static_cast<int>(o.filter)], level.c_str(),
                own ? "own" : kStrategyNames[static_cast<int>(o.strategy)], o.threads, t.wallMs,
                t.cpuMs, bytes, bytes / 1e6);
    std::fflush(stdout);
}

void GifRow(const char* name, int runs, const Screen& screen) {
    const PixelView view = screen.View();
    size_t bytes = 0;
    const Times t = Measure(runs, [&] { bytes = EncodeGif(view).size(); });
    const Times q = Measure(runs, [&] { QuantizeForGif(view); });
    // The file holds these indices and this palette; the unit tests decode it to check that.
    const GifIndexedPicture indexed = QuantizeForGif(view);
    const std::vector<uint32_t> pixels = screen.picture.Pixels();
    double squares = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint32_t a = pixels[i], b = indexed.palette[indexed.indices[i]];
        for (int shift = 0; shift < 24; shift += 8) {
            const int d = int(a >> shift & 255) - int(b >> shift & 255);
            squares += d * d;
        }
    }
    const double mse = squares / (3.0 * pixels.size());
    char psnr[32] = "exact";
    if (mse > 0)
        std::snprintf(psnr, sizeof psnr, "%.2f dB", 10 * std::log10(255.0 * 255.0 / mse));
    std::printf(
        "%-10s GIF  wall_ms %6.1f  cpu_ms %6.1f (palette %5.1f)  bytes %9zu  "
        "%3zu colours%s  PSNR %s\n",
        name, t.wallMs, t.cpuMs, q.cpuMs, bytes, indexed.palette.size(),
        indexed.exact ? ", all of the screen's" : "", psnr);
    std::fflush(stdout);
}

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
    return v;
}

// A screen from an uncompressed 24- or 32-bit BMP file; false when the file is none.
bool LoadBmp(const char* path, std::list<Screen>& screens) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || Le(b, 30, 4) != 0)
        return false;
    const int width = static_cast<int32_t>(Le(b, 18, 4));
    const int rawHeight = static_cast<int32_t>(Le(b, 22, 4));
    const int height = std::abs(rawHeight);
    const int bpp = static_cast<int>(Le(b, 28, 2));
    const size_t offset = Le(b, 10, 4);
    const size_t stride = (static_cast<size_t>(width) * bpp / 8 + 3) & ~size_t{3};
    if (width <= 0 || height <= 0 || (bpp != 24 && bpp != 32) ||
        offset + stride * static_cast<size_t>(height) > b.size())
        return false;
    Screen& screen = screens.emplace_back(width, height);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row =
            &b[offset + stride * static_cast<size_t>(rawHeight > 0 ? height - 1 - y : y)];
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row + static_cast<size_t>(x) * (bpp / 8);
            screen.Fill(x, y, x + 1, y + 1, uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]);
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    bool big = false, threads = false;
    bool gif = false, ownOnly = false, zlibOnly = false;
    int onlyFilter = -1, onlyStrategy = -1, onlyLevel = -1;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--4k")
            big = true;
        else if (arg == "--threads")
            threads = true;
        else if (arg == "--filter" && i + 1 < argc)
            onlyFilter = IndexOf(kFilterNames, 6, argv[++i]);
        else if (arg == "--strategy" && i + 1 < argc)
            onlyStrategy = IndexOf(kStrategyNames, 4, argv[++i]);
        else if (arg == "--level" && i + 1 < argc)
            onlyLevel = std::atoi(argv[++i]);
        else if (arg == "--own")
            ownOnly = true;
        else if (arg == "--zlib")
            zlibOnly = true;
        else if (arg == "--gif")
            gif = true;
        else if (arg == "--bmp" && i + 1 < argc)
            files.push_back(argv[++i]);
        else {
            std::fprintf(
                stderr,
                "usage: encoder_bench [--runs N] [--4k] [--threads] [--filter NAME] "
                "[--strategy NAME] [--level N] [--own | --zlib] [--gif] [--bmp FILE]...\n");
            return 2;
        }
    }
#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
    std::printf("note: a Debug or sanitized build; its times say little about a Release build\n");
#endif

    struct Named {
        const char* name;
        Screen screen;
    };
    std::vector<Named> screens;
    std::list<Screen> loaded;
    std::list<std::string> names;
    for (const std::string& file : files) {
        if (!LoadBmp(file.c_str(), loaded)) {
            std::fprintf(stderr, "%s: not an uncompressed 24- or 32-bit BMP\n", file.c_str());
            return 2;
        }
        const size_t slash = file.find_last_of('/');
        std::string name = file.substr(slash == std::string::npos ? 0 : slash + 1);
        names.push_back(name.substr(0, std::min<size_t>(10, name.find('.'))));
        screens.push_back({names.back().c_str(), loaded.back()});
    }
    if (files.empty()) {
        screens.push_back({"text+photo", TextAndPhoto(1920, 1080)});
        screens.push_back({"plain-ui", PlainUi(1920, 1080)});
        if (big)
            screens.push_back({"text+ph4k", TextAndPhoto(3840, 2160)});
    }

    if (gif) {
        for (const Named& n : screens) GifRow(n.name, runs, n.screen);
        return 0;
    }
    std::printf("%-10s %-9s %5s  %-9s %7s %9s %8s %11s %8s\n", "screen", "filter", "level",
                "strategy", "threads", "wall_ms", "cpu_ms", "bytes", "MB");
    const int levels[] = {0, 1, 3, 6, 9};
    for (const Named& n : screens) {
        const PixelView view = n.screen.View();
        for (int f = 0; f < 6; ++f) {
            if (onlyFilter >= 0 && f != onlyFilter)
                continue;
            if (!zlibOnly) {
                PngOptions o;
                o.filter = static_cast<PngFilter>(f);
                o.threads = 1;
                Row(n.name, o, runs, view);
            }
            if (ownOnly)
                continue;
            for (int level : levels) {
                if (onlyLevel >= 0 && level != onlyLevel)
                    continue;
                for (int s = 0; s < 4; ++s) {
                    // Stored blocks: what is left is the filters' own time.
                    if ((onlyStrategy >= 0 && s != onlyStrategy) || (level == 0 && s != 0))
                        continue;
                    PngOptions o;
                    o.filter = static_cast<PngFilter>(f);
                    o.deflater = PngDeflater::kZlib;
                    o.level = level;
                    o.strategy = static_cast<PngStrategy>(s);
                    o.threads = 1;
                    Row(n.name, o, runs, view);
                }
            }
        }
        if (threads) {
            for (int t : {1, 2, 4}) {
                PngOptions o;
                o.threads = t;
                Row(n.name, o, runs, view);
            }
        }
        size_t bytes = 0;
        const Times t = Measure(runs, [&] { bytes = EncodeTiff(view).size(); });
        std::printf("%-10s %-35s %9.1f %8.1f %11zu %8.3f\n", n.name, "TIFF, uncompressed", t.wallMs,
                    t.cpuMs, bytes, bytes / 1e6);
    }
    return 0;
}
