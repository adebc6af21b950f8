#pragma once
// Writes a captured bitmap as bmp (own writer) or jpg, png, gif, tiff (GDI+ bound at run time).
#include <functional>
#include <string>

#include "platform/scoped_win.h"

namespace vellum {

// True when gdiplus.dll can be loaded and called.
bool GdiplusAvailable();

// Consumes the bitmap (deleted on every path). Returns true only when the file was written.
// Faults outside GDI+'s own statuses (library missing, unknown extension) show the error box
// titled "错误"; a null bitmap or an unwritable path fails silently.
bool SaveBitmapToFile(UniqueBitmap bitmap, const std::wstring& fileName, const std::string& ext,
                      int quality, int colorDepth, int compression);

// Shows a fault of the save path to the user; receives the box's text and caption.
using SaveErrorReporter =
    std::function<void(const std::wstring& text, const std::wstring& caption)>;

// The same save, with the error box replaced by `report` (tests, or a caller with its own window).
bool SaveBitmapToFile(UniqueBitmap bitmap, const std::wstring& fileName, const std::string& ext,
                      int quality, int colorDepth, int compression,
                      const SaveErrorReporter& report);

// The platform's GDI+ encoder for any format it knows, straight to the file: the benchmark's
// comparison with the program's own encoders.
bool SaveBitmapWithGdiplus(UniqueBitmap bitmap, const std::wstring& fileName,
                           const std::string& ext, int quality, int colorDepth, int compression);

// The error box: information icon, OK button only, owned by the active window when it is shown,
// else in front of every window.
void ShowSaveErrorBox(const std::wstring& text, const std::wstring& caption);

}  // namespace vellum
