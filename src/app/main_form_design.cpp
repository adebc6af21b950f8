#include "app/main_form_design.h"

namespace vellum {

namespace {

using ui::ControlDesign;
using ui::ControlKind;

ui::FormDesign BuildMainFormDesign() {
    ui::FormDesign f;
    f.name = "Form1";
    f.caption = "栖木抓屏精灵";
    f.clientWidth = 3855;
    f.clientHeight = 3270;

    constexpr uint32_t kBlue = 0x00FF0000;
    auto& v = f.controls;
    v.push_back(ui::MakeControl(ctl::kP, ControlKind::TextBox, "", "", {690, 30, 2895, 270}, 0));
    v.push_back(ui::MakeControl(ctl::kCommand3, ControlKind::PushButton, "", "...",
                                {3570, 30, 225, 255}, 1));
    v.back().fontName = "Small Fonts";
    v.back().fontPoints = 6;
    v.push_back(
        ui::MakeControl("Label4", ControlKind::Label, "", "格式:", {60, 330, 1095, 195}, 2));
    v.push_back(ui::MakeControl(ctl::kCmbImgType, ControlKind::DropDownList, "", "",
                                {690, 280, 1125, 300}, 3));
    v.push_back(
        ui::MakeControl("Label5", ControlKind::Label, "", "名称前缀:", {1860, 330, 885, 195}, 4));
    v.push_back(ui::MakeControl(ctl::kTbxQZ, ControlKind::TextBox, "", "PXGR_Cap_",
                                {2700, 300, 1035, 270}, 5));
    v.push_back(ui::MakeControl("Frame2", ControlKind::GroupBox, "", "手动划屏抓取",
                                {45, 600, 3765, 1095}, 6));
    // Ends where the border box begins (1620): drawn full width it would lie over that box,
    // which comes later in the stacking order, hiding it and taking its clicks.
    v.push_back(ui::MakeControl(ctl::kCheck2, ControlKind::CheckBox, "Frame2", "复制到剪贴板",
                                {90, 240, 1530, 225}, 7));
    v.push_back(ui::MakeControl(ctl::kChOp, ControlKind::CheckBox, "Frame2", "自动打开得到的图片",
                                {90, 510, 2175, 225}, 8));
    v.back().value = 1;
    v.back().acceptsFiles = true;
    v.push_back(ui::MakeControl("TS", ControlKind::Label, "Frame2", "Ctrl+Alt+A:手动取屏并保存",
                                {75, 825, 2325, 195}, 9));
    v.back().foreColor = kBlue;
    v.push_back(ui::MakeControl("Frame1", ControlKind::GroupBox, "", "自动抓取",
                                {45, 1725, 3765, 1305}, 10));
    v.push_back(ui::MakeControl(ctl::kCheck1, ControlKind::CheckBox, "Frame1", "连续抓取",
                                {90, 240, 1485, 225}, 11));
    v.push_back(ui::MakeControl(ctl::kText1, ControlKind::TextBox, "Frame1", "200",
                                {1620, 210, 510, 255}, 12));
    v.back().visible = false;
    v.push_back(
        ui::MakeControl(ctl::kL, ControlKind::Label, "Frame1", "ms", {2160, 210, 195, 255}, 13));
    v.back().visible = false;
    const char* const opCaptions[] = {"整个屏幕", "活动窗口", "窗口内部", "DirectX图"};
    const ui::TwipsRect opRects[] = {
        {90, 540, 1095, 195}, {1260, 540, 1035, 195}, {90, 780, 1185, 195}, {1260, 780, 1185, 195}};
    for (int i = 0; i < 4; ++i) {
        v.push_back(ui::MakeControl(ctl::kOp, ControlKind::OptionButton, "Frame1", opCaptions[i],
                                    opRects[i], 14 + i));
        v.back().index = i;
        v.back().value = i == 0 ? 1 : 0;
        v.back().enabled = i < 2;
    }
    v.push_back(ui::MakeControl("Label2", ControlKind::Label, "Frame1", "Ctrl+F12:隐藏/显示",
                                {90, 1050, 1905, 195}, 18));
    v.back().foreColor = kBlue;
    v.push_back(ui::MakeControl(ctl::kLab, ControlKind::Label, "", "全局热键支持",
                                {45, 3060, 3375, 195}, 19));
    v.back().foreColor = 0x00FF00FF;
    v.push_back(
        ui::MakeControl(ctl::kLabel1, ControlKind::Label, "", "保存到:", {60, 60, 645, 225}, 20));
    v.back().toolTip = "双击察看文件夹";
    v.push_back(ui::MakeControl(ctl::kCap, ControlKind::PushButton, "", "手动抓屏Ctrl+Alt+A",
                                {2685, 930, 1080, 615}, 21));
    v.push_back(ui::MakeControl(ctl::kCommand2, ControlKind::PushButton, "", "自动抓取(2s后)",
                                {2700, 2160, 1050, 525}, 22));
    v.push_back(
        ui::MakeControl(ctl::kLabel3, ControlKind::Label, "", "..", {3660, 3015, 195, 255}, 23));
    v.back().toolTip = "栖木软件的抓屏器";
    v.back().backColor = 0x008080FF;
    v.back().foreColor = 0x00C00000;
    v.back().fontName = "宋体";
    v.back().fontPoints = 6;
    v.push_back(ui::MakeControl(ctl::kCheck3, ControlKind::CheckBox, "", "自动启动",
                                {3420, 3045, 240, 210}, 24));
    v.back().toolTip = "设置为开机自动后台启动";
    v.push_back(ui::MakeControl(ctl::kCheck4, ControlKind::CheckBox, "Frame2", "加边框",
                                {1620, 240, 885, 225}, 25));
    ControlDesign timer = ui::MakeControl(ctl::kTi, ControlKind::Timer, "", "", {}, -1);
    timer.enabled = false;
    timer.timerInterval = 100;
    v.push_back(timer);
    return f;
}

}  // namespace

const ui::FormDesign& MainFormDesign() {
    static const ui::FormDesign design = BuildMainFormDesign();
    return design;
}

}  // namespace vellum
