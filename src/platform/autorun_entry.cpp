#include "platform/autorun_entry.h"

#include "base/path_utils.h"
#include "base/program_identity.h"

namespace vellum {

std::string QuotedExeCommand(const std::string& exePath) {
    const std::string folder = GetParentPath(exePath);
    const std::string file = ExeBaseName(exePath) + ".exe";
    return "\"" + (folder.empty() ? file : folder + "\\" + file) + "\"";
}

bool CompleteAutorunEntry(const std::string& exePath, std::string& valueName, std::string& command,
                          const std::string& arguments) {
    if (ExeBaseName(exePath).empty() && (valueName.empty() || command.empty()))
        return false;
    if (valueName.empty())
        valueName = ExeBaseName(exePath);
    if (command.empty())
        command = QuotedExeCommand(exePath);
    if (!arguments.empty())
        command += " " + arguments;
    return true;
}

bool AutorunRemovesEntry(int checkBoxValue) {
    return checkBoxValue != 1;
}

}  // namespace vellum
