#include "settings/ini_encoding.h"

#include <cstddef>
#include <cstdint>

namespace vellum {
namespace {

constexpr char kQuoteStandIn[] = "/_y@";
constexpr char kLineBreakStandIn[] = "\\r\\n";

std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
    std::string out;
    out.reserve(text.size());
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type found = text.find(from, start);
        if (found == std::string::npos)
            break;
        out.append(text, start, found - start);
        out += to;
        start = found + from.size();
    }
    out.append(text, start, std::string::npos);
    return out;
}

bool BeginsWithBlank(const std::string& text) {
    return !text.empty() && (text[0] == ' ' || text[0] == '\t');
}

bool IsBlankCodePoint(uint32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20 || c == 0x85 || c == 0xA0 ||
           c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

// The length in bytes of a blank character at the start of text + pos, or 0.
size_t BlankAt(const std::string& text, size_t pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const size_t left = text.size() - pos;
    if (left == 0)
        return 0;
    if (byte(0) < 0x80)
        return IsBlankCodePoint(byte(0)) ? 1 : 0;
    if (left >= 2 && (byte(0) & 0xE0) == 0xC0 && (byte(1) & 0xC0) == 0x80)
        return IsBlankCodePoint(((byte(0) & 0x1Fu) << 6) | (byte(1) & 0x3Fu)) ? 2 : 0;
    if (left >= 3 && (byte(0) & 0xF0) == 0xE0 && (byte(1) & 0xC0) == 0x80 &&
        (byte(2) & 0xC0) == 0x80)
        return IsBlankCodePoint(((byte(0) & 0x0Fu) << 12) | ((byte(1) & 0x3Fu) << 6) |
                                (byte(2) & 0x3Fu))
                   ? 3
                   : 0;
    return 0;
}

// The length in bytes of a blank character that ends text[0, end), or 0.
size_t BlankBefore(const std::string& text, size_t end) {
    for (size_t length = 1; length <= 3 && length <= end; ++length)
        if (BlankAt(text, end - length) == length)
            return length;
    return 0;
}

std::string ClassicForm(const std::string& value) {
    std::string out = value;
    if (BeginsWithBlank(out))
        out = '"' + ReplaceAll(out, "\"", kQuoteStandIn) + '"';
    return ReplaceAll(out, "\r\n", kLineBreakStandIn);
}

std::string EscapedForm(const std::string& value) {
    std::string out = "\"\"";
    for (const char c : value) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
    return out + '"';
}

std::string Unescape(const std::string& text, size_t from) {
    std::string out;
    out.reserve(text.size() - from);
    for (size_t i = from; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[i + 1]) {
            case '\\':
                out += '\\';
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            default:  // not written by us: kept as it stands
                out += text[i];
                continue;
        }
        ++i;
    }
    return out;
}

bool ReadsBackAs(const std::string& written, const std::string& value) {
    return written.find_first_of("\r\n") == std::string::npos &&
           DecodeIniValue(PlatformReadBack(written)) == value;
}

}  // namespace

std::string EncodeIniValue(const std::string& value) {
    const std::string classic = ClassicForm(value);
    if (ReadsBackAs(classic, value))
        return classic;
    if (!BeginsWithBlank(value)) {
        const std::string quoted = '"' + classic + '"';
        if (ReadsBackAs(quoted, value))
            return quoted;
    }
    return EscapedForm(value);
}

std::string DecodeIniValue(const std::string& platformRead) {
    if (!platformRead.empty() && platformRead[0] == '"')
        return Unescape(platformRead, 1);
    std::string out = platformRead;
    // Only a wrapped value keeps its leading blanks through the platform's read.
    if (BeginsWithBlank(out))
        out = ReplaceAll(out, kQuoteStandIn, "\"");
    return ReplaceAll(out, kLineBreakStandIn, "\r\n");
}

std::string PlatformReadBack(const std::string& written) {
    size_t begin = 0;
    size_t end = written.size();
    while (size_t n = BlankAt(written, begin)) begin += n;
    while (end > begin) {
        const size_t n = BlankBefore(written, end);
        if (n == 0)
            break;
        end -= n;
    }
    if (end - begin >= 2 && (written[begin] == '"' || written[begin] == '\'') &&
        written[end - 1] == written[begin]) {
        ++begin;
        --end;
    }
    return written.substr(begin, end - begin);
}

}  // namespace vellum
