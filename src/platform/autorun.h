#pragma once
// Starting this program at the current user's logon: a string value under the Run key.
#include <windows.h>

#include <string>

namespace vellum {

// Writes (remove false) or removes (remove true) the Run entry of the running executable.
// An empty value name becomes the executable's base name and an empty command its quoted full
// path; non-empty arguments are appended to the command after one blank. The names and the
// command used are written back into the caller's variables. Removing an entry that does not
// exist changes nothing.
void SetAutorun(bool remove, std::string& valueName, std::string& command, std::string& arguments);

// The same for any executable path, root key and key path.
void SetAutorunEntry(HKEY root, const std::string& keyPath, const std::string& exePath, bool remove,
                     std::string& valueName, std::string& command, const std::string& arguments);

// The autorun check box changed: a checked box writes the entry with the background argument,
// any other state removes it.
void ApplyAutorunCheckBox(int checkBoxValue);

}  // namespace vellum
