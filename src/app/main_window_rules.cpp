#include "app/main_window_rules.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "base/path_utils.h"

namespace vellum {

bool StartsInBackground(const std::string& arguments) {
    return arguments == "/a";
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

}  // namespace vellum
