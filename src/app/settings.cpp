#include "app/settings.h"

namespace tw {

std::string ReadSetting(SettingsStore& store, const std::string& application,
                        const std::string& section, const std::string& key,
                        const std::string& defaultValue) {
    return store.read(application, section, key).value_or(defaultValue);
}

void WriteSetting(SettingsStore& store, const std::string& application, const std::string& section,
                  const std::string& key, const std::string& value) {
    store.write(application, section, key, value);
}

}  // namespace tw
