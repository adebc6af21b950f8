#pragma once
// Reads a picture file through the platform's own decoder (GDI+), as a user's paint program
// would open it.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vellum::testing {

struct DecodedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // top-down 0x00RRGGBB
};

// False (and the reason in `error`) when GDI+ cannot read the file.
bool ReadWithGdiplus(const std::wstring& path, DecodedPicture& picture, std::string& error);

// The peak signal-to-noise ratio of two pictures of one size over R, G and B, in dB; infinity
// when they are equal.
double Psnr(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b);

}  // namespace vellum::testing
