#pragma once
// The program's own PNG, GIF and TIFF encoders fed from a captured bitmap.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture/encoder_plan.h"

namespace vellum {

// The file's bytes for the bitmap in that format; empty when its pixels cannot be read.
std::vector<uint8_t> EncodeBitmap(HBITMAP bitmap, OwnFormat format);

// Writes the bitmap as a new file in that format; false (and no file) when it cannot be done.
bool WriteWithOwnEncoder(HBITMAP bitmap, const std::wstring& fileName, OwnFormat format);

}  // namespace vellum
