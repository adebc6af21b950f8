#include "tool_text.h"

#include <cstdio>

#include "platform/utf16.h"

namespace tools {
namespace {

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

}  // namespace

std::string JsonQuote(const std::string& utf8) {
    std::string out = "\"";
    for (const char ch : utf8) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += ch;
                }
        }
    }
    return out + "\"";
}

std::optional<std::string> DecodeTextArgument(const std::wstring& argument) {
    if (argument.compare(0, 4, L"hex:") != 0)
        return vellum::Narrow(argument);
    const std::wstring digits = argument.substr(4);
    if (digits.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int hi = HexDigit(digits[i]);
        const int lo = HexDigit(digits[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes.push_back(static_cast<char>(hi * 16 + lo));
    }
    return bytes;
}

}  // namespace tools
