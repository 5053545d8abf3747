#pragma once

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
    virtual bool isRegistered(const std::string& name) = 0;
};

}  // namespace tw
