#include "capture/save_error.h"

namespace vellum {

std::string SaveErrorMessage(uint32_t number, const std::string& description) {
    return "在保存图片的过程中发生错误:\r\n\r\n错误号:  " + std::to_string(number) +
           "\r\n错误描述:  " + description;
}

std::string DescribeSystemFault(const std::string& systemText, const std::string& what) {
    std::string text = systemText;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' ||
                             text.back() == '\t'))
        text.pop_back();
    return text.empty() ? "(" + what + ")" : text + " (" + what + ")";
}

std::string DescribeUnsupportedFormat(const std::string& ext) {
    return "不支持的图片格式 \"" + ext + "\" (可用: bmp, jpg, gif, png, tiff)";
}

}  // namespace vellum
