#pragma once

#include <optional>
#include <string>

namespace tw {

// The desktop's mechanism that starts a program when the user logs in.
class StartAtLogin {
  public:
    virtual ~StartAtLogin() = default;
    // Registers `executablePath` under `name`. Returns false with `error` set on failure.
    virtual bool add(const std::string& name, const std::string& executablePath,
                     std::string& error) = 0;
    // Removes the entry `name`; a missing entry is not an error.
    virtual bool remove(const std::string& name, std::string& error) = 0;
    // The program the entry `name` starts: nothing when there is no entry, an empty text when
    // there is one whose program can't be told (written by hand, or unreadable).
    virtual std::optional<std::string> registeredProgram(const std::string& name) = 0;
    bool isRegistered(const std::string& name) { return registeredProgram(name).has_value(); }
};

}  // namespace tw
