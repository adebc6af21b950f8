#pragma once
// The text of the box that reports a fault of the GDI+ save path (UTF-8).
#include <cstdint>
#include <string>

namespace vellum {

constexpr char kSaveErrorCaption[] = "错误";

// System error code shown for an extension that no encoder takes (ERROR_NOT_SUPPORTED).
constexpr uint32_t kUnsupportedFormatError = 50;

// "在保存图片的过程中发生错误:", an empty line, "错误号:  " + number, "错误描述:  " + description;
// lines end with CR LF.
std::string SaveErrorMessage(uint32_t number, const std::string& description);

// A system message with its trailing line break and blanks removed, followed by what could not be
// reached in parentheses: "The specified module could not be found. (gdiplus.dll)". A missing
// system text leaves only the parenthesised part.
std::string DescribeSystemFault(const std::string& systemText, const std::string& what);

// The description for an extension that is none of the five formats.
std::string DescribeUnsupportedFormat(const std::string& ext);

}  // namespace vellum
