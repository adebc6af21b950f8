#pragma once
// The logon Run entry that starts this program in the background: its value name and command.
#include <string>

namespace vellum {

// Under HKEY_CURRENT_USER.
inline constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The argument that starts the program without showing its window.
inline constexpr const char* kBackgroundArgument = "/a";

// "\"<folder>\<base name>.exe\"": the executable's full path in double quotes, so that a folder
// with blanks stays one argument.
std::string QuotedExeCommand(const std::string& exePath);

// Fills what the caller left empty: the value name becomes the executable's base name and the
// command its quoted path; then non-empty arguments are appended after one blank. False, with
// nothing changed, when a default is needed but the executable's path is unknown (empty): the
// entry would be the Run key's unnamed value or a command that starts nothing.
bool CompleteAutorunEntry(const std::string& exePath, std::string& valueName, std::string& command,
                          const std::string& arguments);

// The autorun check box: a checked box keeps the entry, any other state removes it.
bool AutorunRemovesEntry(int checkBoxValue);

}  // namespace vellum
