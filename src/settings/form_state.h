#pragma once
// The state of a window's text boxes, lists, check boxes and option buttons, kept in Settings.ini
// between runs. Nothing is listed per control: every control of the window is walked in control
// order and its key derived from the names, so a control added to the design is kept too.
#include <string>
#include <vector>

#include "settings/form_state_rules.h"
#include "ui/form.h"

namespace vellum {

// "-" and the index for an element of a control array, else empty.
std::string ControlIndexSuffix(const ui::Control& control);

// The key and text of every persisted control's state, in control order (three for a list: its
// items, its text and its index).
std::vector<IniEntry> FormStateEntries(const ui::Form& form);

// Writes the entries into the section "PXGR_" + the executable's base name, all in one step: a
// process killed meanwhile leaves the file as it was. Returns false when nothing was written.
bool WriteFormStateEntries(const std::string& iniPath, const std::vector<IniEntry>& entries);

// Writes every persisted control's state. An empty path becomes Settings.ini beside the
// executable, also in the caller's variable. Returns false when nothing was written.
bool SaveFormState(ui::Form& form, std::string& iniPath);

// Puts the stored states back as a user's changes would (raising the controls' events). A value
// that does not fit its control is skipped, leaving the control as it was; a missing key leaves
// the control's current state, except that a list without stored items is emptied.
void LoadFormState(ui::Form& form, std::string& iniPath);

}  // namespace vellum
