#pragma once
// Text helpers of the test tools: their output is JSON lines in UTF-8, and a text argument may
// come as "hex:" and the hex digits of its UTF-8 bytes (so any text passes a command line).
#include <optional>
#include <string>

namespace tools {

// The UTF-8 text as a JSON string literal, quotes included.
std::string JsonQuote(const std::string& utf8);

// The UTF-8 text of an argument: itself, or the bytes its "hex:" form spells; nothing when the
// hex digits are bad or odd in number.
std::optional<std::string> DecodeTextArgument(const std::wstring& argument);

}  // namespace tools
