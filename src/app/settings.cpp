#include "app/settings.h"

#include <algorithm>
#include <cctype>

#include "platform/errors.h"
#include "scheduling/number_text.h"

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

bool TextToBool(const std::string& text, const std::string& decimalSeparator) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "true") return true;
    if (lower == "false") return false;
    if (const auto number = ReadNumber(text, decimalSeparator)) return *number != 0.0;
    throw typeMismatchError();
}

}  // namespace tw
