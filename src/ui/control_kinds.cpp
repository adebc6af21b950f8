#include "ui/control_kinds.h"

#include <commctrl.h>

namespace vellum::ui {

namespace {

struct Row {
    ControlKind kind;
    ControlKindFacts facts;
};

// In the order of ControlKind.
constexpr Row kKinds[] = {
    {ControlKind::TextBox,
     {WC_EDITW, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, EN_CHANGE, ControlEvent::Change,
      false, StoredState::Text}},
    {ControlKind::PushButton,
     {WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, 0, BN_CLICKED, ControlEvent::Click,
      true, StoredState::None}},
    {ControlKind::Label,
     {WC_STATICW, SS_LEFT | SS_NOTIFY, 0, STN_CLICKED, ControlEvent::Click, false,
      StoredState::None}},
    // A combo box that takes no free text.
    {ControlKind::DropDownList,
     {WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, CBN_SELCHANGE,
      ControlEvent::Click, false, StoredState::List}},
    {ControlKind::GroupBox,
     {WC_BUTTONW, BS_GROUPBOX, 0, kNoNotification, ControlEvent::Click, false, StoredState::None}},
    {ControlKind::CheckBox,
     {WC_BUTTONW, WS_TABSTOP | BS_AUTOCHECKBOX, 0, BN_CLICKED, ControlEvent::Click, true,
      StoredState::Check}},
    // Not automatic: the form keeps one option of an array selected, for clicks and for changes
    // made by the program alike.
    {ControlKind::OptionButton,
     {WC_BUTTONW, WS_TABSTOP | BS_RADIOBUTTON, 0, BN_CLICKED, ControlEvent::Click, true,
      StoredState::Option}},
    {ControlKind::Timer,
     {nullptr, 0, 0, kNoNotification, ControlEvent::Timer, false, StoredState::None}},
    {ControlKind::Image,
     {WC_STATICW, SS_ICON | SS_CENTERIMAGE | SS_NOTIFY, 0, STN_CLICKED, ControlEvent::Click, false,
      StoredState::None}},
};

constexpr bool InKindOrder() {
    for (size_t i = 0; i < sizeof kKinds / sizeof kKinds[0]; ++i)
        if (static_cast<size_t>(kKinds[i].kind) != i)
            return false;
    return true;
}
// Image is the last kind.
static_assert(InKindOrder() &&
                  sizeof kKinds / sizeof kKinds[0] == static_cast<size_t>(ControlKind::Image) + 1,
              "one row per ControlKind, in its order");

}  // namespace

const ControlKindFacts& FactsOf(ControlKind kind) {
    return kKinds[static_cast<size_t>(kind)].facts;
}

}  // namespace vellum::ui
