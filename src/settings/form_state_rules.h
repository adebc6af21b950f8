#pragma once
// How the state of a window's controls is named and written in Settings.ini: one key per control
// derived from the window's and the control's names, and the values as text.
#include <optional>
#include <string>
#include <vector>

namespace vellum {

// "-" and the index for an element of a control array (index >= 0), else empty.
std::string ControlIndexSuffix(int index);

// The window's name, "_", the control's name and its index suffix: "Form1_Op-2", "Form1_Check1".
std::string ControlBaseKey(const std::string& formName, const std::string& controlName, int index);

// A list's items joined by single tabs, and split again: an empty text gives no items, two
// adjacent tabs an empty item, and an item that held a tab comes back as two.
std::string JoinListItems(const std::vector<std::string>& items);
std::vector<std::string> SplitListItems(const std::string& text);

std::string CheckStateText(int state);
std::string OptionStateText(bool selected);

// The stored texts read back: nothing when the text is not a state of that kind, so the control
// keeps the state it has. A check box's state is 0, 1 or 2; an option button's is True or False
// (any case) or an integer, non-zero meaning selected; a list index is an integer of -1 or more.
std::optional<int> ParseCheckState(const std::string& text);
std::optional<bool> ParseOptionState(const std::string& text);
std::optional<int> ParseListIndex(const std::string& text);

// One key of the settings section and the text it holds.
struct IniEntry {
    std::string key;
    std::string value;
    bool operator==(const IniEntry& other) const {
        return key == other.key && value == other.value;
    }
};

// The entries of `now` whose key is missing from `before` or holds another text there, in the
// order of `now`.
std::vector<IniEntry> ChangedEntries(const std::vector<IniEntry>& before,
                                     const std::vector<IniEntry>& now);

}  // namespace vellum
