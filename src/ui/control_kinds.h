#pragma once
// What a control of each kind is, in one table read by the form, the styling and the settings:
// the window it is made of, the notification that raises its event, whether it takes the flat
// look, and what of it Settings.ini keeps.
#include <windows.h>

#include "ui/control_design.h"

namespace vellum::ui {

enum class ControlEvent {
    Click,  // a user's click, or a state change made by the program
    DoubleClick,
    LostFocus,
    Change,  // a text box's text changed
    RightButtonUp,
    FilesDropped,  // param: the HDROP (owned by the form; released after the handler)
    Timer,
    KeyUp,  // param: the virtual-key code of the key released while the control has the focus
};

// What Settings.ini keeps of a control.
enum class StoredState {
    None,
    Text,    // the text
    List,    // the items, the text and the selected index
    Check,   // the check box's three states
    Option,  // whether the option is the one selected
};

inline constexpr int kNoNotification = -1;

struct ControlKindFacts {
    const wchar_t* windowClass;  // null: no window of its own (a timer)
    DWORD style;                 // beside WS_CHILD, and WS_VISIBLE and WS_DISABLED by design
    DWORD exStyle;
    int notification;  // the WM_COMMAND code that raises `event`, or kNoNotification
    ControlEvent event;
    bool flat;  // drawn flat (BS_FLAT) once the form is styled
    StoredState stored;
};

const ControlKindFacts& FactsOf(ControlKind kind);

}  // namespace vellum::ui
