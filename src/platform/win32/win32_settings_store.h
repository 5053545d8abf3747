#pragma once

// The settings store in the registry: HKEY_CURRENT_USER\Software\<application>\<section>, one
// REG_SZ value per key, texts in the ANSI code page.

#include <functional>
#include <string>

#include "platform/services/settings_store.h"
#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

class Win32SettingsStore : public SettingsStore {
  public:
    // Told about a failure in words the user can act on; the default shows a message box.
    using Notifier = std::function<void(const std::string& message)>;

    // `root` and `base`: where the application keys live; tests pass a key of their own.
    explicit Win32SettingsStore(Notifier notify = {}, HKEY root = HKEY_CURRENT_USER,
                                std::string base = "Software");

    // A value that is missing or holds no text reads as missing.
    std::optional<std::string> read(const std::string& application, const std::string& section,
                                    const std::string& key) override;
    // Written at once. A failure goes to the debugger output every time and to the user once
    // per run (a box for each of the load's many writes would bury the window); the value
    // stays as it was in the registry, the program carries on with the change.
    void write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;

    // The key path of an application's section, below the root.
    std::string sectionPath(const std::string& application, const std::string& section) const;

  private:
    void report(const std::string& message);

    Notifier notify_;
    HKEY root_;
    std::string base_;
    bool userTold_ = false;
};

}  // namespace tw::win32_platform
