#pragma once
// Folder parts of Windows paths, as text (nothing here looks at the disk).
#include <string>

namespace vellum {

// The folder part of a path, in the path's own separator style: C:\a\b\c.txt gives C:\a\b,
// C:\a\b\ gives C:\a, C:\ gives "", d:/x/y.png gives d:/x.
std::string GetParentPath(std::string path);

// The part of a path up to and including its last backslash ("" when it has none).
std::string FolderWithSeparator(const std::string& path);

// A folder without one trailing backslash: a drive root "C:\" becomes "C:".
std::string WithoutTrailingBackslash(std::string path);

// A folder that ends with one "\": the output folder's text, to which file names are joined.
std::string WithTrailingBackslash(const std::string& folder);

}  // namespace vellum
