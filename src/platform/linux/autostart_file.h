#pragma once

// The start-at-login entry on a freedesktop desktop. The session starts what the user's XDG
// autostart folder names, so registering the program is writing one desktop entry there and
// unregistering is deleting it; nothing outside the user's own folder is touched.

#include <string>

#include "platform/services/start_at_login.h"

namespace tw::linux_platform {

// The XDG autostart entry: $XDG_CONFIG_HOME/autostart/<name>.desktop. It is per user: a
// machine-wide entry would need root, which a desktop user does not have.
class AutostartFile : public StartAtLogin {
  public:
    // `configHome` empty: $XDG_CONFIG_HOME, else ~/.config.
    explicit AutostartFile(std::string configHome = {});

    bool add(const std::string& name, const std::string& executablePath,
             std::string& error) override;
    bool remove(const std::string& name, std::string& error) override;
    std::optional<std::string> registeredProgram(const std::string& name) override;

    std::string entryPath(const std::string& name) const;

  private:
    std::string folder_;
};

// The desktop entry's text for a program.
std::string AutostartEntry(const std::string& executablePath);
// The program a desktop entry starts: its TryExec, else the first word of its Exec; an empty
// text when it names no absolute path.
std::string EntryProgram(const std::string& entry);
// Quotes a path for the Exec key of a desktop entry.
std::string QuoteExecArgument(const std::string& argument);

}  // namespace tw::linux_platform
