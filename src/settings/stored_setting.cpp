#include "settings/stored_setting.h"

#include <windows.h>

#include "platform/process.h"
#include "platform/registry.h"

namespace vellum {

StoredSetting::StoredSetting(std::string storeKey, std::string name, std::string defaultValue)
    : storeKey_(std::move(storeKey)),
      name_(std::move(name)),
      default_(std::move(defaultValue)),
      current_(default_) {}

std::string StoredSetting::Read() {
    unexpanded_.reset();
    const std::optional<RegistryString> stored =
        ReadRegistryStringValue(HKEY_CURRENT_USER, storeKey_, name_);
    if (!stored) {
        current_ = default_;
    } else if (stored->expandable) {
        unexpanded_ = stored->text;
        current_ = ExpandEnvironmentReferences(stored->text);
    } else {
        current_ = stored->text;
    }
    return current_;
}

bool StoredSetting::Write(const std::string& value) {
    const bool keepsItsForm = unexpanded_ && value == current_;
    const bool written =
        keepsItsForm
            ? SetRegistryValue(HKEY_CURRENT_USER, storeKey_, name_, *unexpanded_, REG_EXPAND_SZ)
            : WriteRegistryString(HKEY_CURRENT_USER, storeKey_, name_, value);
    if (written) {
        if (!keepsItsForm)
            unexpanded_.reset();
        current_ = value;
    }
    return written;
}

bool StoredSetting::WriteIfChanged(const std::string& value) {
    return value == current_ || Write(value);
}

}  // namespace vellum
