#pragma once
// UTF-8 inside the program, UTF-16 at the Win32 boundary.
#include <string>

namespace vellum {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

}  // namespace vellum
