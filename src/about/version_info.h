#pragma once
// An executable's version resource: the fixed version numbers and the texts of its string table.
#include <optional>
#include <string>

namespace vellum {

struct VersionInfo {
    // The file version's four fields: major.minor.revision.build.
    int major = 0;
    int minor = 0;
    int revision = 0;
    int build = 0;
    std::string productName;
    std::string fileDescription;
};

// Nothing when the file has no version resource (or version.dll cannot be loaded). The texts come
// from the string table of the first language and code page in \VarFileInfo\Translation that has
// them; a text found in none stays empty.
std::optional<VersionInfo> ReadVersionInfo(const std::string& path);

}  // namespace vellum
