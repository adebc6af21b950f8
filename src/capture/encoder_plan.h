#pragma once
// Which writer a file extension goes to, and what the GDI+ encoder is given for it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellum {

enum class SaveRoute {
    OwnBmpWriter,  // the extension is exactly "bmp" (case-sensitive)
    OwnEncoder,    // png, gif or tiff in any case: the program's own encoders
    Gdiplus,       // anything else, "BMP" included; GDI+ knows jpg (and png, gif and tiff)
};

SaveRoute RouteForExtension(const std::string& ext);

enum class OwnFormat { Png, Gif, Tiff };
// The own encoder of an extension (png, gif, tiff in any case), or nothing.
std::optional<OwnFormat> OwnEncoderFor(const std::string& ext);

// GDI+ parameter value type for 32-bit unsigned integers (EncoderParameterValueTypeLong).
constexpr uint32_t kEncoderValueTypeLong = 4;

// One encoder parameter with a single 32-bit value.
struct EncoderParamSpec {
    std::string guid;  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
    uint32_t type = kEncoderValueTypeLong;
    uint32_t value = 0;
};

struct EncoderPlan {
    std::string encoderClsid;  // GDI+ image encoder class identifier, braced text
    std::vector<EncoderParamSpec> params;
    // The GIF encoder is fed an 8-bit indexed copy of the picture rather than the capture itself.
    bool saveFromIndexedCopy = false;
};

// The encoder for an extension after lower-casing it: jpg (quality), png, gif, tiff (compression,
// then colour depth). Any other extension has none.
std::optional<EncoderPlan> PlanEncoder(const std::string& ext, int32_t quality, int32_t colorDepth,
                                       int32_t compression);

// ASCII lower case; other bytes (UTF-8 sequences included) are kept as they are.
std::string AsciiLower(std::string text);

}  // namespace vellum
