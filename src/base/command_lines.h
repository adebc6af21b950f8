#pragma once
// The command lines the program starts: another program with a file, and the file manager.
#include <string>

namespace vellum {

// A tool path that a command line can carry as one quoted argument (no double quote, no control
// character); the tool is not started with any other.
bool IsUsableToolPath(const std::string& toolPath);

// "tool" "file": both quoted, so paths with blanks reach the tool as one argument each. Neither
// may hold a double quote (no file name can): nothing else in a path ends a quoted argument, and
// no shell reads the line, so & ^ % stay plain characters.
std::string ToolCommandLine(const std::string& toolPath, const std::string& fileName);
std::string ExplorerCommandLine(const std::string& folder);

}  // namespace vellum
