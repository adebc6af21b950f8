#pragma once
// Starting other programs, and facts about this one.
#include <optional>
#include <string>

namespace vellum {

// Starts a command line as a new process with the given show command; does not wait for it.
// Returns false when it could not be started (callers that ignore failures may do so).
bool StartCommandLine(const std::string& commandLine, int showCommand);

// Full path of the running executable.
std::string ExecutablePath();
// Its file name without folder and extension, and the name its settings are kept under.
std::string ExecutableBaseName();
std::string SettingsApplicationName();

// An environment variable, or nothing when it is not set.
std::optional<std::string> EnvironmentVariable(const std::string& name);

// The text with every %name% of a set variable replaced by its value (others kept as written).
std::string ExpandEnvironmentReferences(const std::string& text);

}  // namespace vellum
