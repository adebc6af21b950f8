#include "about/about_design.h"

namespace vellum {

namespace {

using ui::ControlDesign;
using ui::ControlKind;

ui::FormDesign BuildAboutFormDesign() {
    constexpr uint32_t kBlue = 0x00FF0000;
    constexpr uint32_t kDarkBlue = 0x00800000;
    ui::FormDesign f;
    f.name = "About";
    f.caption = "关于";
    f.clientWidth = 5400;
    f.clientHeight = 4560;

    auto& v = f.controls;
    // Command1 first in the tab order: the box opens with the focus on its button.
    v.push_back(ui::MakeControl(about_ctl::kCommand1, ControlKind::PushButton, "", "Inf",
                                {4380, 180, 840, 375}, 0));
    v.push_back(
        ui::MakeControl(about_ctl::kImg, ControlKind::Image, "", "", {180, 180, 600, 600}, 1));
    v.push_back(
        ui::MakeControl(about_ctl::kLabel1, ControlKind::Label, "", "", {960, 210, 3300, 330}, 2));
    v.back().fontName = "宋体";
    v.back().fontPoints = 12;
    v.back().foreColor = kDarkBlue;
    v.push_back(
        ui::MakeControl(about_ctl::kLabel2, ControlKind::Label, "", "", {960, 570, 3300, 240}, 3));
    v.push_back(ui::MakeControl(about_ctl::kText2, ControlKind::TextBox, "", "",
                                {180, 930, 5040, 1590}, 4));
    v.back().multiLine = true;
    v.back().locked = true;
    v.push_back(
        ui::MakeControl("Label3", ControlKind::Label, "", "主页：", {180, 2670, 720, 240}, 5));
    v.push_back(ui::MakeControl(about_ctl::kLabel9, ControlKind::Label, "", kHomePage,
                                {900, 2670, 4320, 240}, 6));
    v.back().foreColor = kBlue;
    v.back().toolTip = kHomePageTip;
    v.push_back(
        ui::MakeControl("Label4", ControlKind::Label, "", "Email：", {180, 2985, 720, 240}, 7));
    v.push_back(ui::MakeControl(about_ctl::kText1, ControlKind::TextBox, "", kEmailAddress,
                                {900, 2940, 3000, 300}, 8));
    v.back().locked = true;
    v.push_back(
        ui::MakeControl("Label5", ControlKind::Label, "", "地址：", {180, 3315, 720, 240}, 9));
    v.push_back(ui::MakeControl(about_ctl::kLabel7, ControlKind::Label, "", kPostalAddress,
                                {900, 3315, 4320, 240}, 10));
    v.push_back(ui::MakeControl("Label6", ControlKind::Label, "",
                                (std::string("QQ：") + kContactNumber).c_str(),
                                {180, 3615, 5040, 240}, 11));
    v.push_back(ui::MakeControl("Label8", ControlKind::Label, "",
                                "程序纯个人创作,若发现Bug 或有建议欢迎联系与交流！",
                                {180, 3915, 5040, 240}, 12));
    v.push_back(ui::MakeControl("Label10", ControlKind::Label, "", kRightsNotice,
                                {180, 4215, 5040, 240}, 13));
    return f;
}

}  // namespace

const ui::FormDesign& AboutFormDesign() {
    static const ui::FormDesign design = BuildAboutFormDesign();
    return design;
}

std::string AboutCaption(const std::string& exeBaseName) {
    return "关于 " + exeBaseName + " --By " + kMakerName;
}

std::string VersionText(int major, int minor, int revision) {
    return "Ver: " + std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(revision);
}

std::string ExpandLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += "\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace vellum
