#pragma once
// One string value of the per-user settings store, read at start and written back, soon after a
// change and at the end of the run.
#include <optional>
#include <string>

namespace vellum {

class StoredSetting {
  public:
    // The value `name` under HKEY_CURRENT_USER\<storeKey>.
    StoredSetting(std::string storeKey, std::string name, std::string defaultValue);

    // The value in effect: the stored text, a REG_EXPAND_SZ with its %variables% expanded, or the
    // default when the value is absent or not a string.
    std::string Read();
    // Stores the value. A REG_EXPAND_SZ that was read and not changed keeps its unexpanded form.
    bool Write(const std::string& value);
    // Stores the value only when it differs from the one read or last written.
    bool WriteIfChanged(const std::string& value);

  private:
    std::string storeKey_;
    std::string name_;
    std::string default_;
    std::optional<std::string> unexpanded_;  // the REG_EXPAND_SZ text that was read
    std::string current_;                    // the value read or last written
};

}  // namespace vellum
