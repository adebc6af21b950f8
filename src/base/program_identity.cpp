#include "base/program_identity.h"

namespace vellum {

std::string ExeBaseName(const std::string& exePath) {
    const size_t slash = exePath.find_last_of("\\/");
    std::string name = slash == std::string::npos ? exePath : exePath.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

std::string ApplicationName(const std::string& exeBaseName) {
    return "PXGR_" + exeBaseName;
}

std::string SettingsStoreKey(const std::string& applicationName, const std::string& section) {
    return "Software\\" + applicationName + "\\" + section;
}

}  // namespace vellum
