#pragma once
// GDI+ bound at run time: the program starts and saves BMP without gdiplus.dll.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture/encoder_plan.h"

namespace vellum {

// The flat API entry points the save path uses (declared by the platform's gdiplusflat.h).
struct GdiplusApi {
    decltype(&Gdiplus::GdiplusStartup) Startup = nullptr;
    decltype(&Gdiplus::GdiplusShutdown) Shutdown = nullptr;
    decltype(&Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP) CreateBitmapFromHBITMAP = nullptr;
    decltype(&Gdiplus::DllExports::GdipCloneBitmapAreaI) CloneBitmapAreaI = nullptr;
    decltype(&Gdiplus::DllExports::GdipGetImageWidth) GetImageWidth = nullptr;
    decltype(&Gdiplus::DllExports::GdipGetImageHeight) GetImageHeight = nullptr;
    decltype(&Gdiplus::DllExports::GdipSaveImageToFile) SaveImageToFile = nullptr;
    decltype(&Gdiplus::DllExports::GdipDisposeImage) DisposeImage = nullptr;
};

// Why GDI+ could not be bound: the system error code and what was missing ("gdiplus.dll" or the
// entry point's name).
struct GdiplusBindFault {
    uint32_t error = 0;
    std::string missing;
};

// Loads gdiplus.dll (from system32 only) and resolves every entry point on the first successful
// call; the library then stays loaded for the life of the process. Returns null (and fills
// `fault` when given) when the library or one of its functions is missing; a later call tries
// again. User-interface thread only.
const GdiplusApi* BindGdiplus(GdiplusBindFault* fault = nullptr);

// GUID from braced text ("{XXXXXXXX-...}"); false for malformed text.
bool GuidFromText(const std::string& text, GUID* guid);

// The EncoderParameters block handed to GdipSaveImageToFile: a 32-bit count, then per parameter
// its GUID, number of values, value type and a pointer to its value, which the block owns. A plan
// without parameters gives a zeroed block with count 0, never a null pointer.
class EncoderParameterBlock {
  public:
    explicit EncoderParameterBlock(const EncoderPlan& plan);
    EncoderParameterBlock(const EncoderParameterBlock&) = delete;
    EncoderParameterBlock& operator=(const EncoderParameterBlock&) = delete;

    // False when a parameter's GUID text is malformed.
    bool valid() const { return valid_; }
    const Gdiplus::EncoderParameters* get() const {
        return reinterpret_cast<const Gdiplus::EncoderParameters*>(storage_.data());
    }

  private:
    std::vector<uint64_t> storage_;  // 8-byte aligned room for the count and the parameters
    std::vector<ULONG> values_;      // one value per parameter; the block points into it
    bool valid_ = true;
};

}  // namespace vellum
