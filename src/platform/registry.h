#pragma once
// String values in the registry.
#include <windows.h>

#include <optional>
#include <string>

namespace vellum {

// The value's text, or nothing when the key or value is absent (an empty value is a value).
std::optional<std::string> ReadRegistryString(HKEY root, const std::string& subKey,
                                              const std::string& valueName);
// A REG_SZ or REG_EXPAND_SZ value as stored (its %variables% not expanded), or nothing when the
// key or value is absent or of another type.
struct RegistryString {
    std::string text;
    bool expandable = false;  // REG_EXPAND_SZ
};
std::optional<RegistryString> ReadRegistryStringValue(HKEY root, const std::string& subKey,
                                                      const std::string& valueName);

// Writes a REG_SZ value, creating the key when it is missing.
bool WriteRegistryString(HKEY root, const std::string& subKey, const std::string& valueName,
                         const std::string& value);

// Stores one string value (REG_SZ or REG_EXPAND_SZ; other types are refused) as UTF-16 with its
// terminating NUL, creating the key when it is missing. An empty key path writes nothing: it
// would name the root key itself. Returns whether the value was stored.
bool SetRegistryValue(HKEY root, const std::string& keyPath, const std::string& valueName,
                      const std::string& value, DWORD type);

// Removes one value. A missing key or value is left as it is (nothing is created), and so is
// everything under an empty key path. Returns whether a value was removed.
bool DeleteRegistryValue(HKEY root, const std::string& keyPath, const std::string& valueName);

}  // namespace vellum
