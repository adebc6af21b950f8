#pragma once
// One text value of an INI file, read and written through the platform's private-profile
// functions. Text is UTF-8; an empty path means Settings.ini beside the executable.
#include <string>

namespace vellum {

// Settings.ini in the executable's folder.
std::string DefaultIniPath();

// The decoded value of the key, or the decoded default when the file, section or key is missing.
// At most 510 characters (UTF-16 units) of the stored text come back. Failures are not reported.
std::string ReadIniValue(std::string path, std::string section, std::string key,
                         std::string defaultValue);

// Writes the encoded value (the empty text when clearValue is set; an empty value keeps the key).
// A file that does not exist yet is first created as UTF-16LE with a byte-order mark, so that the
// platform keeps it in UTF-16 and any text survives; an existing file is used as it is.
// Failures are not reported: a file that cannot be written stays as it was.
void WriteIniValue(std::string path, std::string section, std::string key, std::string value,
                   bool clearValue);

}  // namespace vellum
