#include "ui/control_design.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/main_form_design.h"

namespace vellum {
namespace {

const ui::ControlDesign& Find(const std::string& name, int index = -1) {
    const auto& c = MainFormDesign().controls;
    return *std::find_if(c.begin(), c.end(), [&](const ui::ControlDesign& d) {
        return d.name == name && d.index == index;
    });
}

TEST(Twips, ConvertAtTheRealDpi) {
    EXPECT_EQ(ui::TwipsToPixels(3855, 96), 257);
    EXPECT_EQ(ui::TwipsToPixels(3270, 96), 218);
    EXPECT_EQ(ui::TwipsToPixels(15, 144), 2);  // 1.5 px rounds up
    EXPECT_EQ(ui::TwipsToPixels(3855, 192), 514);
    EXPECT_EQ(ui::FontHeightForPoints(6, 96), -8);
    EXPECT_EQ(ui::FontHeightForPoints(6, 144), -12);
}

TEST(Twips, ControlsInsideAGroupBoxAreRelativeToIt) {
    const auto& f = MainFormDesign();
    // Check2 at (90,240) inside Frame2 at (45,600): (135,840) twips = (9,56) px.
    EXPECT_EQ(ui::ResolvePixelRect(f, Find(ctl::kCheck2), 96), (ui::PixelRect{9, 56, 102, 15}));
    EXPECT_EQ(ui::ResolvePixelRect(f, Find(ctl::kOp, 3), 96), (ui::PixelRect{87, 167, 79, 13}));
    EXPECT_EQ(ui::ResolvePixelRect(f, Find(ctl::kP), 96), (ui::PixelRect{46, 2, 193, 18}));
    // At 150 % the edges scale with it and a tiny control keeps at least one pixel.
    EXPECT_EQ(ui::ResolvePixelRect(f, Find(ctl::kP), 144), (ui::PixelRect{69, 3, 290, 27}));
    ui::ControlDesign tiny;
    tiny.rect = {0, 0, 1, 1};
    EXPECT_EQ(ui::ResolvePixelRect(f, tiny, 96), (ui::PixelRect{0, 0, 1, 1}));
}

TEST(MainFormDesign, TabOrderIsCreationOrderAndUnique) {
    std::set<int> tabs;
    std::set<int> ids;
    int last = -1;
    for (const auto& c : MainFormDesign().controls) {
        if (c.kind == ui::ControlKind::Timer)
            continue;
        EXPECT_GT(c.tabIndex, last) << c.name;
        last = c.tabIndex;
        tabs.insert(c.tabIndex);
        ids.insert(ui::ControlId(c));
        if (!c.container.empty()) {
            EXPECT_EQ(Find(c.container).kind, ui::ControlKind::GroupBox);
        }
    }
    EXPECT_EQ(*tabs.begin(), 0);
    EXPECT_EQ(*tabs.rbegin(), static_cast<int>(tabs.size()) - 1);
    EXPECT_EQ(ids.size(), tabs.size());
}

TEST(MainFormDesign, OptionArrayHasTwoUsableChoices) {
    for (int i = 0; i < 4; ++i) {
        const auto& op = Find(ctl::kOp, i);
        EXPECT_EQ(op.kind, ui::ControlKind::OptionButton);
        EXPECT_EQ(op.enabled, i < 2);
        EXPECT_EQ(op.value, i == 0 ? 1 : 0);
    }
}

}  // namespace
}  // namespace vellum
