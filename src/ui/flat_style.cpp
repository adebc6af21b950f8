#include "ui/flat_style.h"

namespace vellum {

bool TakesFlatStyle(ui::ControlKind kind) {
    switch (kind) {
        case ui::ControlKind::PushButton:
        case ui::ControlKind::OptionButton:
        case ui::ControlKind::CheckBox:
            return true;
        case ui::ControlKind::TextBox:
        case ui::ControlKind::Label:
        case ui::ControlKind::DropDownList:
        case ui::ControlKind::GroupBox:
        case ui::ControlKind::Timer:
        case ui::ControlKind::Image:
            break;
    }
    return false;
}

uint32_t WithFlatStyle(uint32_t style, bool flat) {
    return flat ? style | kFlatButtonStyle : style;
}

}  // namespace vellum
