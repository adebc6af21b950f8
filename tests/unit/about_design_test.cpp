#include "about/about_design.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace vellum {
namespace {

TEST(AboutText, Caption) {
    EXPECT_EQ(AboutCaption("Vellum_Capture"), "关于 Vellum_Capture --By 栖木软件");
    EXPECT_EQ(AboutCaption("抓屏"), "关于 抓屏 --By 栖木软件");
}

TEST(AboutText, VersionHasNoLeadingZeros) {
    EXPECT_EQ(VersionText(1, 2, 44), "Ver: 1.2.44");
    EXPECT_EQ(VersionText(0, 0, 0), "Ver: 0.0.0");
    EXPECT_EQ(VersionText(10, 5, 7), "Ver: 10.5.7");
    EXPECT_EQ(VersionText(65535, 65535, 65535), "Ver: 65535.65535.65535");
}

TEST(AboutText, BackslashNBecomesALineBreak) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"", ""},
        {"一行", "一行"},
        {"甲\\n乙", "甲\r\n乙"},
        {"\\n\\n", "\r\n\r\n"},
        {"末尾\\n", "末尾\r\n"},
        {"末尾\\", "末尾\\"},
        {"\\\\n", "\\\r\n"},  // the pair after the first backslash
        {"a\\tb\\N", "a\\tb\\N"},
        {"real\nbreak", "real\nbreak"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExpandLineBreaks(c.in), c.out) << c.in;
}

// The fixed texts of the box, byte for byte; the controls' kinds, styles and the texts the box
// fills in are checked on the real window by the end-to-end tests.
TEST(AboutFormDesign, FixedTextsOfTheBox) {
    std::set<std::string> captions;
    for (const auto& d : AboutFormDesign().controls) captions.insert(d.caption);
    for (const char* line : {"主页：", "Email：", "地址：", "QQ：（无）", "© Vellum 项目",
                             "程序纯个人创作,若发现Bug 或有建议欢迎联系与交流！"})
        EXPECT_EQ(captions.count(line), 1u) << line;
}

TEST(AboutFormDesign, ControlsLieInsideTheWindowWithoutOverlapping) {
    const ui::FormDesign& f = AboutFormDesign();
    std::set<int> tabs;
    for (size_t i = 0; i < f.controls.size(); ++i) {
        const ui::TwipsRect& a = f.controls[i].rect;
        EXPECT_TRUE(f.controls[i].container.empty());
        EXPECT_GT(a.width, 0);
        EXPECT_GT(a.height, 0);
        EXPECT_GE(a.left, 0);
        EXPECT_GE(a.top, 0);
        EXPECT_LE(a.left + a.width, f.clientWidth) << f.controls[i].name;
        EXPECT_LE(a.top + a.height, f.clientHeight) << f.controls[i].name;
        EXPECT_TRUE(tabs.insert(f.controls[i].tabIndex).second) << f.controls[i].name;
        for (size_t j = i + 1; j < f.controls.size(); ++j) {
            const ui::TwipsRect& b = f.controls[j].rect;
            const bool apart = a.left + a.width <= b.left || b.left + b.width <= a.left ||
                               a.top + a.height <= b.top || b.top + b.height <= a.top;
            EXPECT_TRUE(apart) << f.controls[i].name << " and " << f.controls[j].name;
        }
    }
}

}  // namespace
}  // namespace vellum
