#pragma once
// Pictures of known pixels for the capture tests, the capture probe and the benchmark.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace vellum::testing {

// Header of a 32-bit top-down DIB of width x height.
BITMAPINFO TopDown32(int width, int height);

// The bitmap's pixels as top-down 0x00RRGGBB values (the unused byte cleared).
std::vector<uint32_t> Rgb32Pixels(HBITMAP bitmap, int width, int height);

// Paints width x height pixels at the DC's origin in one transfer; rgbAt gives 0x00RRGGBB and is
// called row by row, left to right.
void PaintPixels(HDC dc, int width, int height, const std::function<uint32_t(int x, int y)>& rgbAt);

// A DIB section of `bpp` bits (1, 4, 8, 16 with 5-6-5 masks, 24 or 32) whose pixels follow a
// formula of their position; the end-to-end tests compute the same formula.
HBITMAP DepthPicture(int width, int height, int bpp);

}  // namespace vellum::testing
