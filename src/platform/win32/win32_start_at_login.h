#pragma once

// Start at login: a REG_SZ value under the Run key, named after the program's file, holding
// its full path. It goes under HKEY_LOCAL_MACHINE (every user) where the user may write
// there, else under HKEY_CURRENT_USER (this user): a standard user's program is denied the
// machine-wide key, and starting for this user is what the user asked for.

#include <functional>

#include "platform/services/start_at_login.h"
#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

class Win32StartAtLogin : public StartAtLogin {
  public:
    static constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

    // Opens a sub key (RegOpenKeyExA), or with `create` creates it when it is missing
    // (RegCreateKeyExA); tests replace it to deny a root.
    using KeyOpener =
        std::function<LONG(HKEY root, const char* subKey, REGSAM access, bool create, HKEY* key)>;
    explicit Win32StartAtLogin(KeyOpener open = {});

    // Written under one root; the copy under the other is removed, so that the program does
    // not start twice. Fails only when neither root takes the value.
    bool add(const std::string& name, const std::string& executablePath,
             std::string& error) override;
    // Removed from both roots. Fails when the value stays in one of them.
    bool remove(const std::string& name, std::string& error) override;
    // The program of the value under either root; a value that is not text names none.
    std::optional<std::string> registeredProgram(const std::string& name) override;

    // The value's data for a program path: quoted when it holds a blank, so that the
    // system cannot take "C:\Program" for the program to start.
    static std::string runCommand(const std::string& executablePath);
    // The program a value's command starts: the quoted path, or the whole unquoted text.
    static std::string programOf(const std::string& command);

  private:
    LONG write(HKEY root, const std::string& name, const std::string& data);
    LONG erase(HKEY root, const std::string& name);
    bool has(HKEY root, const std::string& name);
    std::optional<std::string> program(HKEY root, const std::string& name);

    KeyOpener open_;
};

}  // namespace tw::win32_platform
