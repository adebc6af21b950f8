#pragma once
// Reading and writing test files byte for byte, and as UTF-16LE text with a byte-order mark.
#include <fstream>
#include <iterator>
#include <string>

#include "platform/utf16.h"

namespace vellum {

inline std::string FileBytes(const std::string& path) {
    std::ifstream in(Widen(path).c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(Widen(path).c_str(), std::ios::binary);
    out << bytes;
}

// The text of a UTF-16LE file after its byte-order mark.
inline std::string Utf16FileText(const std::string& path) {
    const std::string bytes = FileBytes(path);
    std::wstring text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    return Narrow(text);
}

// Writes the text as UTF-16LE with a byte-order mark.
inline void WriteUtf16File(const std::string& path, const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : Widen(text)) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    WriteFileBytes(path, bytes);
}

}  // namespace vellum
