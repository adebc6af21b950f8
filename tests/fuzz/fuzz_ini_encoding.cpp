// The INI value encoding: every value without a NUL is written on one line and read back as it
// was, in the form the header names; reading back any text at all is safe.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "settings/ini_encoding.h"

namespace {

void Check(bool holds) {
    if (!holds)
        __builtin_trap();
}

std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
    std::string out;
    std::string::size_type start = 0;
    for (std::string::size_type found; (found = text.find(from, start)) != std::string::npos;
         start = found + from.size())
        out.append(text, start, found - start).append(to);
    return out.append(text, start, std::string::npos);
}

bool BeginsWithBlank(const std::string& value) {
    return !value.empty() && (value[0] == ' ' || value[0] == '\t');
}

bool ReadsBack(const std::string& written, const std::string& value) {
    return written.find_first_of("\r\n") == std::string::npos &&
           vellum::DecodeIniValue(vellum::PlatformReadBack(written)) == value;
}

// The form the encoder must choose, from the header's three forms in its order.
std::string ExpectedForm(const std::string& value) {
    std::string classic = value;
    if (BeginsWithBlank(classic))
        classic = '"' + ReplaceAll(classic, "\"", "/_y@") + '"';
    classic = ReplaceAll(classic, "\r\n", "\\r\\n");
    if (ReadsBack(classic, value))
        return classic;
    if (!BeginsWithBlank(value) && ReadsBack('"' + classic + '"', value))
        return '"' + classic + '"';
    std::string escaped = "\"\"";
    for (const char c : value) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\r')
            escaped += "\\r";
        else if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    return escaped + '"';
}

void CheckValue(const std::string& value) {
    const std::string written = vellum::EncodeIniValue(value);
    Check(written.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
    Check(vellum::EncodeIniValue(value) == written);
    const std::string read = vellum::PlatformReadBack(written);
    Check(vellum::DecodeIniValue(read) == value);
    Check(written == ExpectedForm(value));
    // Only the escaped form still begins with a quote after the platform's read.
    const bool escaped = written.compare(0, 2, "\"\"") == 0;
    Check((!read.empty() && read[0] == '"') == escaped);
}

// Unicode's blanks and the DOS end-of-file character.
const uint32_t kBlanks[] = {0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x1A,   0x20,   0x85,   0xA0,
                            0x1680, 0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2007,
                            0x2008, 0x2009, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};

std::string Utf8(uint32_t c) {
    if (c < 0x80)
        return std::string(1, static_cast<char>(c));
    if (c < 0x800)
        return {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    return {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
}

std::string Blanks(FuzzedDataProvider& data) {
    std::string out;
    for (int n = data.ConsumeIntegralInRange(0, 4); n > 0; --n)
        out += Utf8(kBlanks[data.ConsumeIntegralInRange<size_t>(0, std::size(kBlanks) - 1)]);
    return out;
}

// A visible ASCII character: never a blank, nor part of one.
char Visible(FuzzedDataProvider& data) {
    return data.PickValueInArray({'a', '"', '\'', '/', '\\', '@', '0', '~'});
}

// The platform's read of a text between blanks: the text, without one pair of enclosing quotes.
void CheckReadBack(FuzzedDataProvider& data) {
    const std::string before = Blanks(data);
    std::string core(1, Visible(data));
    if (data.ConsumeBool()) {
        core += data.ConsumeRandomLengthString(32);
        core += Visible(data);
    }
    const std::string after = Blanks(data);
    std::string expected = core;
    if (core.size() >= 2 && (core[0] == '"' || core[0] == '\'') && core.back() == core[0])
        expected = core.substr(1, core.size() - 2);
    Check(vellum::PlatformReadBack(before + core + after) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string raw(reinterpret_cast<const char*>(bytes), size);
    // Any text at all, NULs included, as the platform's read might return it or as written.
    vellum::DecodeIniValue(raw);
    vellum::DecodeIniValue(vellum::PlatformReadBack(raw));

    std::string value;
    for (const char c : raw) {
        if (c != '\0')
            value += c;
    }
    CheckValue(value);

    FuzzedDataProvider data(bytes, size);
    CheckReadBack(data);
    return 0;
}
