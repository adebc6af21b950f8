#pragma once
// What the program calls itself, derived from its executable's path: the store of its settings
// and its logon entry are named after the executable, so a renamed copy keeps its own.
#include <string>

namespace vellum {

// The executable's file name without folder and extension.
std::string ExeBaseName(const std::string& exePath);
// "PXGR_" + base name: the settings store's application name and the INI section.
std::string ApplicationName(const std::string& exeBaseName);
// Registry key of the per-user settings store for an application and section.
std::string SettingsStoreKey(const std::string& applicationName, const std::string& section);

}  // namespace vellum
