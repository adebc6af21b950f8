#include "capture/save_name_rules.h"

#include <cctype>

namespace vellum {
namespace {

constexpr char kForbidden[] = "\\/:*?\"<>|";
constexpr char kTemporarySuffix[] = ".vellum-part";

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool IsReservedDeviceName(const std::string& name) {
    // The device is named by the part before the first dot, blanks at its end ignored.
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    stem = Upper(stem);
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL")
        return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

std::optional<NameFault> CheckFileName(const std::string& name) {
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string(kForbidden).find(c) != std::string::npos)
            return NameFault::ForbiddenCharacter;
    }
    if (IsReservedDeviceName(name))
        return NameFault::ReservedDeviceName;
    return std::nullopt;
}

std::string DescribeNameFault(NameFault fault) {
    switch (fault) {
        case NameFault::ForbiddenCharacter:
            return "文件名不能含有 \\ / : * ? \" < > | 或控制字符";
        case NameFault::ReservedDeviceName:
            return "文件名是系统保留的设备名";
    }
    return {};
}

std::string TemporarySavePath(const std::string& finalPath) {
    return finalPath + kTemporarySuffix;
}

}  // namespace vellum
