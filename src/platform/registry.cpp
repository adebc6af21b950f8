#include "platform/registry.h"

#include <vector>

#include "platform/scoped_win.h"
#include "platform/utf16.h"

namespace vellum {

std::optional<std::string> ReadRegistryString(HKEY root, const std::string& subKey,
                                              const std::string& valueName) {
    std::optional<RegistryString> value = ReadRegistryStringValue(root, subKey, valueName);
    if (!value)
        return std::nullopt;
    return std::move(value->text);
}

std::optional<RegistryString> ReadRegistryStringValue(HKEY root, const std::string& subKey,
                                                      const std::string& valueName) {
    UniqueRegKey key;
    if (RegOpenKeyExW(root, Widen(subKey).c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring name = Widen(valueName);
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    // The stored data need not end with a terminator; stop at the first one or at its size.
    size_t length = size / sizeof(wchar_t);
    for (size_t i = 0; i < length; ++i) {
        if (buffer[i] == L'\0') {
            length = i;
            break;
        }
    }
    return RegistryString{Narrow(std::wstring(buffer.data(), length)), type == REG_EXPAND_SZ};
}

namespace {

bool StoreString(HKEY root, const std::string& subKey, const std::string& valueName,
                 const std::string& value, DWORD type) {
    UniqueRegKey key;
    if (RegCreateKeyExW(root, Widen(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring data = Widen(value);
    return RegSetValueExW(key.get(), Widen(valueName).c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

bool WriteRegistryString(HKEY root, const std::string& subKey, const std::string& valueName,
                         const std::string& value) {
    return StoreString(root, subKey, valueName, value, REG_SZ);
}

bool SetRegistryValue(HKEY root, const std::string& keyPath, const std::string& valueName,
                      const std::string& value, DWORD type) {
    if (keyPath.empty() || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    return StoreString(root, keyPath, valueName, value, type);
}

bool DeleteRegistryValue(HKEY root, const std::string& keyPath, const std::string& valueName) {
    if (keyPath.empty())
        return false;
    UniqueRegKey key;
    if (RegOpenKeyExW(root, Widen(keyPath).c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS)
        return false;
    return RegDeleteValueW(key.get(), Widen(valueName).c_str()) == ERROR_SUCCESS;
}

}  // namespace vellum
