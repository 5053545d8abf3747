#pragma once

// The settings store over QSettings: $XDG_CONFIG_HOME/<application>/<section>.conf, one group
// named after the section.

#include "platform/settings_store.h"

namespace tw::qt_platform {

class QtSettingsStore : public SettingsStore {
  public:
    std::optional<std::string> read(const std::string& application, const std::string& section,
                                    const std::string& key) override;
    // Saved to disk at once. When that fails the file keeps its previous contents, a message
    // goes to stderr, and the program carries on with the value in memory.
    void write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;
};

}  // namespace tw::qt_platform
