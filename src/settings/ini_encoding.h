#pragma once
// How a value is stored on one INI line. The private-profile functions drop blanks around a value
// and one pair of enclosing quotes, and a line break would end the line, so values are written in
// a small encoding that every text survives.
#include <string>

namespace vellum {

// The text written to the file for a value. Three forms, the first that reads back exactly:
//  1. the classic form: every CR LF pair becomes the four characters \r\n; a value beginning with
//     a space or a tab has each double quote replaced by /_y@ and is put between double quotes;
//  2. the classic form of a value that does not begin with a blank, put between double quotes
//     (a value with blanks at its end, or one enclosed in quotes of its own); earlier versions
//     read both of these forms back exactly;
//  3. for anything else (a literal \r\n or /_y@ that would be taken for an escape, a leading
//     double quote, a lone CR or LF): a double quote, the value with \ written \\, CR \r and LF \n,
//     all between double quotes. After the platform's read it is the only form that begins with
//     a double quote.
std::string EncodeIniValue(const std::string& value);

// The value for a text as the platform's read returns it (enclosing quotes removed).
std::string DecodeIniValue(const std::string& platformRead);

// What the platform's read returns for a text written after "key=": the blanks around it removed
// (every Unicode blank and the DOS end-of-file character, a superset of what any platform
// removes), then one pair of enclosing double or single quotes.
std::string PlatformReadBack(const std::string& written);

}  // namespace vellum
