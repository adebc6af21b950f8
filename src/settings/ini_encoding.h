#pragma once
// How a value is stored on one INI line: line breaks, leading blanks and double quotes would not
// survive the private-profile functions as they are, so they are written in a small encoding.
#include <string>

namespace vellum {

// The text written to the file for a value: every CR LF pair becomes the four characters \r\n;
// a value beginning with a space or a tab has each double quote replaced by /_y@ and is put
// between double quotes, so that the platform keeps its leading blanks.
std::string EncodeIniValue(const std::string& value);

// The value for a text read from the file, after the platform has removed a pair of enclosing
// quotes. A text beginning with a double quote loses all its double quotes and has /_y@ turned
// back into double quotes; a text that still begins with a space or a tab was wrapped on writing
// and has /_y@ turned back into double quotes; then \r\n becomes CR LF again.
std::string DecodeIniValue(const std::string& stored);

}  // namespace vellum
