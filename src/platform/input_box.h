#pragma once
// A small modal window that asks for one line of text.
#include <windows.h>

#include <string>

namespace vellum {

// Shows the prompt above one edit field pre-filled with the default answer, with OK and Cancel.
// Returns the text typed (OK or Enter), or the empty text on Cancel, Esc or close.
std::string InputBox(HWND owner, const std::string& prompt, const std::string& caption,
                     const std::string& defaultAnswer);

}  // namespace vellum
