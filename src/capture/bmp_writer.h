#pragma once
// Writes a bitmap as a Windows bitmap file at the bitmap's own colour depth.
#include <windows.h>

#include <string>

namespace vellum {

// True only when the whole file was written. A null or unreadable bitmap, or a path that cannot
// be written, is a failure; a file left partly written is removed. The bitmap must not be
// selected into a device context. It is not deleted here.
bool WriteBmpFile(HBITMAP bitmap, const std::wstring& fileName);

}  // namespace vellum
