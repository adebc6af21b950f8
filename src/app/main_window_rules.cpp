#include "app/main_window_rules.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace vellum {

bool StartsInBackground(const std::string& arguments) {
    return arguments == "/a";
}

std::string WithTrailingBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\')
        return folder;
    return folder + "\\";
}

std::string DefaultOutputFolder(const std::optional<std::string>& tmp) {
    if (!tmp || tmp->empty())
        return {};
    return WithTrailingBackslash(*tmp);
}

int32_t ParseColorTag(const std::string& text) {
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    if (i == text.size())
        return -1;
    for (size_t j = i; j < text.size(); ++j)
        if (text[j] < '0' || text[j] > '9')
            return -1;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || v < std::numeric_limits<int32_t>::min() ||
        v > std::numeric_limits<int32_t>::max())
        return -1;
    return static_cast<int32_t>(v);
}

std::string MissingFolderMessage(const std::string& folder) {
    return "文件夹" + folder + "不存在!";
}

std::string SavedStatus(const std::string& path) {
    return "已保存到:" + path;
}
std::string SaveFailedStatus(const std::string& path) {
    return "保存失败:" + path;
}

std::string SaveRefusedStatus(const std::string& path, const std::string& reason) {
    return SaveFailedStatus(path) + " (" + reason + ")";
}

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
