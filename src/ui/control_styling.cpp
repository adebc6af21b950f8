#include "ui/control_styling.h"

#include <uxtheme.h>

#include "platform/system_library.h"
#include "ui/control_kinds.h"

namespace vellum {

namespace {

// Turns the theme off for one control (uxtheme.dll is no KnownDLL: loaded from system32 only).
void RemoveTheme(HWND hwnd) {
    static const UniqueModule uxtheme = LoadSystemLibrary(L"uxtheme.dll");
    static const auto setWindowTheme =
        ModuleFunction<decltype(&SetWindowTheme)>(uxtheme, "SetWindowTheme");
    // A class list that names no class turns the theme off (Wine refuses an empty one).
    if (setWindowTheme)
        setWindowTheme(hwnd, L" ", L" ");
}

}  // namespace

void SetFlatStyle(HWND hwnd, bool flat) {
    if (!hwnd)
        return;
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    SetWindowLongPtrW(hwnd, GWL_STYLE, flat ? style | BS_FLAT : style);
    // A themed button (common controls 6 with visual styles on) is drawn by the theme, which
    // knows no flat look: without a theme the control's own drawing shows BS_FLAT.
    if (flat)
        RemoveTheme(hwnd);
}

void StyleFormControls(ui::Form& form) {
    for (ui::Control& c : form.controls())
        if (ui::FactsOf(c.kind()).flat)
            SetFlatStyle(c.hwnd(), true);
    if (form.hwnd())
        RedrawWindow(form.hwnd(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

}  // namespace vellum
