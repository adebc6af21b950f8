#include "platform/autorun.h"

#include "platform/autorun_entry.h"
#include "platform/process.h"
#include "platform/registry.h"

namespace vellum {

void SetAutorunEntry(HKEY root, const std::string& keyPath, const std::string& exePath, bool remove,
                     std::string& valueName, std::string& command, const std::string& arguments) {
    if (!CompleteAutorunEntry(exePath, valueName, command, arguments))
        return;
    // Failures change nothing visible: the check box keeps the state the user gave it.
    if (remove)
        DeleteRegistryValue(root, keyPath, valueName);
    else
        SetRegistryValue(root, keyPath, valueName, command, REG_SZ);
}

void SetAutorun(bool remove, std::string& valueName, std::string& command, std::string& arguments) {
    SetAutorunEntry(HKEY_CURRENT_USER, kRunKeyPath, ExecutablePath(), remove, valueName, command,
                    arguments);
}

void ApplyAutorunCheckBox(int checkBoxValue) {
    std::string valueName;
    std::string command;
    std::string arguments = kBackgroundArgument;
    SetAutorun(AutorunRemovesEntry(checkBoxValue), valueName, command, arguments);
}

}  // namespace vellum
