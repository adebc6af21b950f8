#include "base/path_utils.h"

#include <algorithm>

namespace vellum {

std::string GetParentPath(std::string path) {
    const bool forward = path.find('/') != std::string::npos;
    std::replace(path.begin(), path.end(), '/', '\\');
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    const size_t last = path.rfind('\\');
    std::string parent = last == std::string::npos ? std::string() : path.substr(0, last);
    if (forward)
        std::replace(parent.begin(), parent.end(), '\\', '/');
    return parent;
}

std::string FolderWithSeparator(const std::string& path) {
    const size_t last = path.rfind('\\');
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string WithoutTrailingBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

std::string WithTrailingBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\')
        return folder;
    return folder + "\\";
}

}  // namespace vellum
