#include "settings/ini_encoding.h"

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

}  // namespace

std::string EncodeIniValue(const std::string& value) {
    std::string out = value;
    if (BeginsWithBlank(out))
        out = '"' + ReplaceAll(out, "\"", kQuoteStandIn) + '"';
    return ReplaceAll(out, "\r\n", kLineBreakStandIn);
}

std::string DecodeIniValue(const std::string& stored) {
    std::string out = stored;
    if (!out.empty() && out[0] == '"') {
        out = ReplaceAll(ReplaceAll(out, "\"", ""), kQuoteStandIn, "\"");
    } else if (BeginsWithBlank(out)) {
        // Only a wrapped value keeps its leading blanks through the platform's read.
        out = ReplaceAll(out, kQuoteStandIn, "\"");
    }
    return ReplaceAll(out, kLineBreakStandIn, "\r\n");
}

}  // namespace vellum
