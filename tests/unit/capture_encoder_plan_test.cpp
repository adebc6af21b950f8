#include "capture/encoder_plan.h"

#include <gtest/gtest.h>

namespace vellum {
namespace {

constexpr char kJpeg[] = "{557CF401-1A04-11D3-9A73-0000F81EF32E}";
constexpr char kGif[] = "{557CF402-1A04-11D3-9A73-0000F81EF32E}";
constexpr char kTiff[] = "{557CF405-1A04-11D3-9A73-0000F81EF32E}";
constexpr char kPng[] = "{557CF406-1A04-11D3-9A73-0000F81EF32E}";
constexpr char kQuality[] = "{1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB}";
constexpr char kCompression[] = "{E09D739D-CCD4-44EE-8EBA-3FBF8BE4FC58}";
constexpr char kColorDepth[] = "{66087055-AD66-4C7C-9A18-38A2310B8337}";

struct PlanCase {
    const char* ext;
    int32_t quality, colorDepth, compression;
    SaveRoute route;
    const char* clsid;  // nullptr: no encoder
    std::vector<EncoderParamSpec> params;
    bool indexed;
};

TEST(EncoderPlan, ExtensionChoosesWriterEncoderAndParameters) {
    const PlanCase cases[] = {
        {"jpg", 80, 24, 6, SaveRoute::Gdiplus, kJpeg, {{kQuality, 4, 80}}, false},
        {"JPG", 35, 24, 6, SaveRoute::Gdiplus, kJpeg, {{kQuality, 4, 35}}, false},
        {"png", 80, 24, 6, SaveRoute::OwnEncoder, kPng, {}, false},
        {"Png", 80, 24, 6, SaveRoute::OwnEncoder, kPng, {}, false},
        {"gif", 80, 24, 6, SaveRoute::OwnEncoder, kGif, {}, true},
        {"tiff",
         80,
         24,
         6,
         SaveRoute::OwnEncoder,
         kTiff,
         {{kCompression, 4, 6}, {kColorDepth, 4, 24}},
         false},
        {"TIFF",
         80,
         32,
         2,
         SaveRoute::OwnEncoder,
         kTiff,
         {{kCompression, 4, 2}, {kColorDepth, 4, 32}},
         false},
        // "bmp" is exact: in capitals it goes to GDI+, which has no encoder for it.
        {"bmp", 80, 24, 6, SaveRoute::OwnBmpWriter, nullptr, {}, false},
        {"BMP", 80, 24, 6, SaveRoute::Gdiplus, nullptr, {}, false},
        {"Bmp", 80, 24, 6, SaveRoute::Gdiplus, nullptr, {}, false},
        {"jpeg", 80, 24, 6, SaveRoute::Gdiplus, nullptr, {}, false},
        {"tif", 80, 24, 6, SaveRoute::Gdiplus, nullptr, {}, false},
        {"png ", 80, 24, 6, SaveRoute::Gdiplus, nullptr, {}, false},
        {".png", 80, 24, 6, SaveRoute::Gdiplus, nullptr, {}, false},
        {"", 80, 24, 6, SaveRoute::Gdiplus, nullptr, {}, false},
        {"ｐｎｇ", 80, 24, 6, SaveRoute::Gdiplus, nullptr, {}, false},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(std::string("ext \"") + c.ext + "\"");
        EXPECT_EQ(RouteForExtension(c.ext), c.route);
        const auto plan = PlanEncoder(c.ext, c.quality, c.colorDepth, c.compression);
        if (!c.clsid) {
            EXPECT_FALSE(plan.has_value());
            continue;
        }
        ASSERT_TRUE(plan.has_value());
        EXPECT_EQ(plan->encoderClsid, c.clsid);
        EXPECT_EQ(plan->saveFromIndexedCopy, c.indexed);
        ASSERT_EQ(plan->params.size(), c.params.size());
        for (size_t i = 0; i < c.params.size(); ++i) {
            SCOPED_TRACE("parameter " + std::to_string(i));
            EXPECT_EQ(plan->params[i].guid, c.params[i].guid);
            EXPECT_EQ(plan->params[i].type, c.params[i].type);
            EXPECT_EQ(plan->params[i].value, c.params[i].value);
        }
    }
}

TEST(EncoderPlan, PngGifAndTiffInAnyCaseGoToTheOwnEncoders) {
    const struct {
        const char* ext;
        std::optional<OwnFormat> format;
    } cases[] = {
        {"png", OwnFormat::Png}, {"PNG", OwnFormat::Png},   {"gif", OwnFormat::Gif},
        {"Gif", OwnFormat::Gif}, {"tiff", OwnFormat::Tiff}, {"TIFF", OwnFormat::Tiff},
        {"tif", std::nullopt},   {"jpg", std::nullopt},     {"bmp", std::nullopt},
        {"png ", std::nullopt},  {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(OwnEncoderFor(c.ext), c.format) << c.ext;
}

}  // namespace
}  // namespace vellum
