#include "base/command_lines.h"

namespace vellum {

bool IsUsableToolPath(const std::string& toolPath) {
    for (const char c : toolPath)
        if (c == '"' || static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

std::string ToolCommandLine(const std::string& toolPath, const std::string& fileName) {
    return "\"" + toolPath + "\" \"" + fileName + "\"";
}

std::string ExplorerCommandLine(const std::string& folder) {
    return "explorer \"" + folder + "\"";
}

}  // namespace vellum
