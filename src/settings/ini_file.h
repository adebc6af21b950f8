#pragma once
// One text value of an INI file, read and written through the platform's private-profile
// functions. Text is UTF-8; an empty path means Settings.ini beside the executable.
#include <functional>
#include <optional>
#include <string>

namespace vellum {

// Settings.ini in the executable's folder.
std::string DefaultIniPath();

// The decoded value of the key, or the decoded default when the file, section or key is missing.
// A value of any length comes back whole. Failures are not reported.
std::string ReadIniValue(std::string path, std::string section, std::string key,
                         std::string defaultValue);

// The decoded value of the key, or nothing when the file, section or key is missing (an empty
// value is a value).
std::optional<std::string> ReadIniValueIfPresent(const std::string& path,
                                                 const std::string& section,
                                                 const std::string& key);

// Writes the encoded value (the empty text when clearValue is set; an empty value keeps the key).
// A file that does not exist yet is first created as UTF-16LE with a byte-order mark, so that the
// platform keeps it in UTF-16 and any text survives; an existing file is used as it is.
// Failures are not reported: a file that cannot be written stays as it was.
void WriteIniValue(std::string path, std::string section, std::string key, std::string value,
                   bool clearValue);

// Whether a file's settings can be read now. A missing file is no failure: it has no settings.
// A file that another program holds open without sharing, or that may not be read, is one.
enum class IniFileState { Missing, Readable, Unreadable };
IniFileState ProbeIniFile(const std::string& path);

// Changes the file in one step, so that a process killed meanwhile never leaves it half written:
// `write` gets a complete copy of the file (a new UTF-16 file when there is none) beside it, and
// the copy then replaces the file. Returns false, leaving the file exactly as it was, when the
// file cannot be read, is read-only, or the copy cannot be written or put in its place.
bool ReplaceIniFile(const std::string& path,
                    const std::function<bool(const std::string& copyPath)>& write);

// Writes one encoded value, as WriteIniValue does, into an existing file; returns whether the
// platform stored it.
bool StoreIniValue(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value);

}  // namespace vellum
