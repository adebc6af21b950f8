#include "capture/encoder_plan.h"

namespace vellum {
namespace {

constexpr char kJpegEncoder[] = "{557CF401-1A04-11D3-9A73-0000F81EF32E}";
constexpr char kGifEncoder[] = "{557CF402-1A04-11D3-9A73-0000F81EF32E}";
constexpr char kTiffEncoder[] = "{557CF405-1A04-11D3-9A73-0000F81EF32E}";
constexpr char kPngEncoder[] = "{557CF406-1A04-11D3-9A73-0000F81EF32E}";

constexpr char kEncoderQuality[] = "{1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB}";
constexpr char kEncoderCompression[] = "{E09D739D-CCD4-44EE-8EBA-3FBF8BE4FC58}";
constexpr char kEncoderColorDepth[] = "{66087055-AD66-4C7C-9A18-38A2310B8337}";

EncoderParamSpec LongParam(const char* guid, int32_t value) {
    return EncoderParamSpec{guid, kEncoderValueTypeLong, static_cast<uint32_t>(value)};
}

}  // namespace

SaveRoute RouteForExtension(const std::string& ext) {
    if (ext == "bmp")
        return SaveRoute::OwnBmpWriter;
    return OwnEncoderFor(ext) ? SaveRoute::OwnEncoder : SaveRoute::Gdiplus;
}

std::optional<OwnFormat> OwnEncoderFor(const std::string& ext) {
    const std::string lower = AsciiLower(ext);
    if (lower == "png")
        return OwnFormat::Png;
    if (lower == "gif")
        return OwnFormat::Gif;
    if (lower == "tiff")
        return OwnFormat::Tiff;
    return std::nullopt;
}

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::optional<EncoderPlan> PlanEncoder(const std::string& ext, int32_t quality, int32_t colorDepth,
                                       int32_t compression) {
    const std::string lower = AsciiLower(ext);
    EncoderPlan plan;
    if (lower == "jpg") {
        plan.encoderClsid = kJpegEncoder;
        plan.params.push_back(LongParam(kEncoderQuality, quality));
    } else if (lower == "png") {
        plan.encoderClsid = kPngEncoder;
    } else if (lower == "gif") {
        plan.encoderClsid = kGifEncoder;
        plan.saveFromIndexedCopy = true;
    } else if (lower == "tiff") {
        plan.encoderClsid = kTiffEncoder;
        plan.params.push_back(LongParam(kEncoderCompression, compression));
        plan.params.push_back(LongParam(kEncoderColorDepth, colorDepth));
    } else {
        return std::nullopt;
    }
    return plan;
}

}  // namespace vellum
