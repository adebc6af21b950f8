#pragma once
#include <string>

namespace vellum {

// The folder part of a path, in the path's own separator style: C:\a\b\c.txt gives C:\a\b,
// C:\a\b\ gives C:\a, C:\ gives "", d:/x/y.png gives d:/x.
std::string GetParentPath(std::string path);

}  // namespace vellum
