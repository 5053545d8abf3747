#pragma once

// The settings store over QSettings: <configuration folder>/<application>/<section>.conf, one
// group named after the section. The file is looked at before QSettings reads it: anything but
// a regular file of a sane size that reads as these settings is set aside whole, and the
// settings start from their defaults.

#include <QString>
#include <functional>
#include <optional>

#include "platform/linux/settings_file.h"
#include "platform/services/settings_store.h"

namespace tw::qt_platform {

class QtSettingsStore : public SettingsStore {
  public:
    // Told about a failure in words the user can act on, once per kind and run.
    using Notifier = std::function<void(const std::string& message)>;
    // `configFolder` empty: the user's configuration folder ($XDG_CONFIG_HOME, ~/.config).
    explicit QtSettingsStore(Notifier notify = {}, QString configFolder = {});

    std::optional<std::string> read(const std::string& application, const std::string& section,
                                    const std::string& key) override;
    // Saved to disk at once. When that fails the file keeps its previous contents, the user is
    // told (once), and the program carries on with the value in memory.
    void write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;

    // A settings file holds no more than this; a larger one is not ours.
    static constexpr off_t kMostBytes = 1024 * 1024;

  private:
    QString fileOf(const std::string& application, const std::string& section) const;
    // Whether QSettings may open the file: true once what lies there is safe to read, or has
    // been set aside.
    bool vet(const QString& file, const QString& group);
    void tell(bool& told, const std::string& message);

    Notifier notify_;
    QString folder_;
    std::optional<linux_platform::SettingsFileLook::Stamp> vetted_;
    bool toldSetAside_ = false;
    bool toldUnsaved_ = false;
};

}  // namespace tw::qt_platform
