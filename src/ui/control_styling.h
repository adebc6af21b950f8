#pragma once
// The flat look of a window's push buttons, option buttons and check boxes.
#include <windows.h>

#include "ui/form.h"

namespace vellum {

// Adds BS_FLAT to one button-class window and turns its visual-style theme off, which would
// draw it without the flat look (flat false writes the style back unchanged).
void SetFlatStyle(HWND hwnd, bool flat);

// Gives every push button, option button and check box of the form the flat look, each element
// of a control array included, then repaints the window. Other controls are not touched; a
// second call changes nothing more.
void StyleFormControls(ui::Form& form);

}  // namespace vellum
