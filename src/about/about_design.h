#pragma once
// The About window: its controls, and the texts it shows that need no platform.
#include <string>

#include "ui/control_design.h"

namespace vellum {

// Names of the About window's controls.
namespace about_ctl {
inline constexpr const char* kImg = "Img";
inline constexpr const char* kLabel1 = "Label1";  // product name
inline constexpr const char* kLabel2 = "Label2";  // version
inline constexpr const char* kText2 = "Text2";    // description
inline constexpr const char* kLabel9 = "Label9";  // home page
inline constexpr const char* kText1 = "Text1";    // e-mail address
inline constexpr const char* kLabel7 = "Label7";  // postal address
inline constexpr const char* kCommand1 = "Command1";
}  // namespace about_ctl

// The maker's contact lines: the project's own placeholders.
inline constexpr const char* kHomePage = "https://vellum.example/";
inline constexpr const char* kHomePageTip = "访问我的主页";
inline constexpr const char* kEmailAddress = "vellum@example.com";
inline constexpr const char* kPostalAddress = "（地址待定）";
inline constexpr const char* kContactNumber = "（无）";
inline constexpr const char* kRightsNotice = "© Vellum 项目";
// The extra line of the system's About dialog.
inline constexpr const char* kMakerName = "栖木软件";

const ui::FormDesign& AboutFormDesign();

// "关于 <base name> --By 栖木软件".
std::string AboutCaption(const std::string& exeBaseName);

// "Ver: major.minor.revision", each part in decimal without leading zeros.
std::string VersionText(int major, int minor, int revision);

// Every two-character sequence backslash-n becomes a line break (CR LF).
std::string ExpandLineBreaks(const std::string& text);

}  // namespace vellum
