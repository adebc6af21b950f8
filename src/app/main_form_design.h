#pragma once
// The main window's controls: the vocabulary every capture road uses to read the user's choices.
#include "ui/control_design.h"

namespace vellum {

// Names of the main window's controls.
namespace ctl {
inline constexpr const char* kP = "P";
inline constexpr const char* kCommand3 = "Command3";
inline constexpr const char* kCmbImgType = "cmbImgType";
inline constexpr const char* kTbxQZ = "tbxQZ";
inline constexpr const char* kCheck2 = "Check2";
inline constexpr const char* kChOp = "ChOp";
inline constexpr const char* kCheck4 = "Check4";
inline constexpr const char* kCheck1 = "Check1";
inline constexpr const char* kText1 = "Text1";
inline constexpr const char* kL = "L";
inline constexpr const char* kOp = "Op";
inline constexpr const char* kLab = "Lab";
inline constexpr const char* kLabel1 = "Label1";
inline constexpr const char* kCap = "Cap";
inline constexpr const char* kCommand2 = "Command2";
inline constexpr const char* kLabel3 = "Label3";
inline constexpr const char* kCheck3 = "Check3";
inline constexpr const char* kTi = "Ti";
}  // namespace ctl

const ui::FormDesign& MainFormDesign();

}  // namespace vellum
