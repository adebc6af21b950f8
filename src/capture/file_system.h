#pragma once
#include <string>

#include "capture/file_naming.h"

namespace vellum {

// Whether anything of that name exists (a file of any attributes, or a folder): a capture could
// not be written there. A name the platform would misread (a device, a ":") gives Unknown.
FileProbe ProbeFile(const std::string& path);

// Whether the path names an existing folder, whatever its attributes (hidden, system, ...).
bool FolderExists(const std::string& path);

}  // namespace vellum
