#include "ui/flat_style.h"

#include <gtest/gtest.h>

namespace vellum {
namespace {

TEST(FlatStyle, ButtonsOptionsAndCheckBoxesOnly) {
    using K = ui::ControlKind;
    const struct {
        K kind;
        bool flat;
    } cases[] = {
        {K::PushButton, true}, {K::OptionButton, true}, {K::CheckBox, true},
        {K::TextBox, false},   {K::Label, false},       {K::DropDownList, false},
        {K::GroupBox, false},  {K::Timer, false},       {K::Image, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TakesFlatStyle(c.kind), c.flat) << static_cast<int>(c.kind);
}

TEST(FlatStyle, OnlyTheFlatBitIsAdded) {
    const uint32_t pushButton = 0x50010000;  // WS_CHILD | WS_VISIBLE | WS_TABSTOP
    EXPECT_EQ(WithFlatStyle(pushButton, true), 0x50018000u);
    EXPECT_EQ(WithFlatStyle(0x50018003u, true), 0x50018003u);  // already flat: unchanged
    EXPECT_EQ(WithFlatStyle(0x50010003u, false), 0x50010003u);
    EXPECT_EQ(WithFlatStyle(0x50018003u, false), 0x50018003u);  // never cleared
    EXPECT_EQ(WithFlatStyle(0xFFFF7FFFu, true), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace vellum
