#pragma once

#include <optional>
#include <string>

namespace tw {

// Per-user text values addressed by application, section and key.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> read(const std::string& application,
                                            const std::string& section, const std::string& key) = 0;
    // Stores at once. A store that cannot be written keeps its previous contents and
    // reports the failure itself; the caller carries on.
    virtual void write(const std::string& application, const std::string& section,
                       const std::string& key, const std::string& value) = 0;
};

}  // namespace tw
