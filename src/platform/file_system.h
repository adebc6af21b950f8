#pragma once
#include <string>

#include "capture/file_naming.h"

namespace vellum {

// Whether a file of that name exists, whatever its attributes; a folder does not count.
FileProbe ProbeFile(const std::string& path);

// Whether the path names an existing folder, whatever its attributes (hidden, system, ...).
bool FolderExists(const std::string& path);

}  // namespace vellum
