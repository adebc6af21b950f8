#include "capture/grab_plan.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>

namespace vellum {
namespace {

TEST(GrabPlan, SourceAndDeviceContextForEachCaptureType) {
    struct Case {
        int16_t type;
        GrabSource source;
        SourceDc dc;
    };
    const Case cases[] = {
        {0, GrabSource::DesktopPrimaryDisplay, SourceDc::Client},
        {1, GrabSource::ForegroundWindowOuter, SourceDc::WholeWindow},
        {2, GrabSource::ForegroundWindowOuter, SourceDc::Client},
        {3, GrabSource::None, SourceDc::None},
        {4, GrabSource::None, SourceDc::None},
        {-1, GrabSource::None, SourceDc::None},
        {SHRT_MAX, GrabSource::None, SourceDc::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type));
        EXPECT_EQ(GrabSourceFor(c.type), c.source);
        EXPECT_EQ(SourceDcFor(c.type), c.dc);
    }
}

TEST(GrabPlan, NoBitmapForAnEmptySizeOrWithoutSourceDc) {
    EXPECT_TRUE(GrabMakesBitmap(0, 1, 1));
    EXPECT_TRUE(GrabMakesBitmap(1, 30, 40));
    EXPECT_TRUE(GrabMakesBitmap(2, 30, 40));
    EXPECT_FALSE(GrabMakesBitmap(3, 30, 40));
    EXPECT_FALSE(GrabMakesBitmap(0, 0, 40));
    EXPECT_FALSE(GrabMakesBitmap(0, 30, 0));
    EXPECT_FALSE(GrabMakesBitmap(0, -30, 40));
    EXPECT_FALSE(GrabMakesBitmap(1, 30, INT_MIN));
}

// What LineTo paints: from the current position along a row or a column, without the end point.
std::map<std::pair<int, int>, int> Paint(const std::vector<PixelPoint>& path) {
    std::map<std::pair<int, int>, int> painted;
    PixelPoint at{0, 0};
    for (const PixelPoint& to : path) {
        EXPECT_TRUE(to.x == at.x || to.y == at.y) << "diagonal segment";
        const int dx = (to.x > at.x) - (to.x < at.x);
        const int dy = (to.y > at.y) - (to.y < at.y);
        for (PixelPoint p = at; !(p == to); p.x += dx, p.y += dy) ++painted[{p.x, p.y}];
        at = to;
    }
    return painted;
}

TEST(GrabPlan, BorderPathPaintsEveryRingPixelAndNothingElse) {
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 1}, {1, 2},    {7, 1}, {1, 7},
                                         {2, 2}, {3, 3}, {100, 50}, {4, 9}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const auto painted = Paint(BorderPath(w, h));
        int ring = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool onRing = x == 0 || y == 0 || x == w - 1 || y == h - 1;
                const auto it = painted.find({x, y});
                const int times = it == painted.end() ? 0 : it->second;
                // A one-pixel-wide picture is its own ring: some pixels are painted twice.
                if (onRing) {
                    EXPECT_GE(times, 1) << "ring pixel " << x << "," << y << " left out";
                    if (w > 1 && h > 1) {
                        EXPECT_EQ(times, 1) << "pixel " << x << "," << y;
                    }
                } else {
                    EXPECT_EQ(times, 0) << "inner pixel " << x << "," << y << " painted";
                }
                ring += onRing;
            }
        }
        EXPECT_EQ(painted.size(), static_cast<size_t>(ring)) << "painted outside the picture";
    }
    EXPECT_TRUE(BorderPath(0, 5).empty());
    EXPECT_TRUE(BorderPath(5, -1).empty());
}

TEST(GrabPlan, FrameColourWithoutAValidChoiceIsRed) {
    const std::pair<int32_t, uint32_t> cases[] = {
        {255, 0x0000FF}, {0, 0},          {0x00C08040, 0x00C08040}, {0xFFFFFF, 0xFFFFFF},
        {-1, 0x0000FF},  {INT_MIN, 0xFF}, {0x01000005, 0x0000FF},   {0x02FF0000, 0xFF},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(FrameColorOrRed(in), out) << in;
}

}  // namespace
}  // namespace vellum
