#include "platform/win32/win32_start_at_login.h"

#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text.h"

namespace tw::win32_platform {

namespace {

LONG openKey(HKEY root, const char* subKey, REGSAM access, bool create, HKEY* key) {
    if (!create) return RegOpenKeyExA(root, subKey, 0, access, key);
    return RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key,
                           nullptr);
}

// A program without a manifest that a standard user runs has its writes under
// HKEY_LOCAL_MACHINE\Software redirected into a private copy: they succeed and nothing
// starts at login. Such a process must not trust a write there.
bool registryVirtualized() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    DWORD enabled = 0;
    DWORD size = 0;
    const BOOL ok =
        GetTokenInformation(token, TokenVirtualizationEnabled, &enabled, sizeof enabled, &size);
    CloseHandle(token);
    return ok && enabled != 0;
}

std::string rootName(HKEY root) {
    return root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

}  // namespace

Win32StartAtLogin::Win32StartAtLogin(KeyOpener open)
    : open_(open ? std::move(open) : KeyOpener(&openKey)) {}

std::string Win32StartAtLogin::runCommand(const std::string& executablePath) {
    if (executablePath.find(' ') == std::string::npos) return executablePath;
    return "\"" + executablePath + "\"";
}

LONG Win32StartAtLogin::write(HKEY root, const std::string& name, const std::string& data) {
    RegistryKey key;
    // A new user's profile may have no Run key yet.
    LONG status = open_(root, kRunKey, KEY_SET_VALUE, true, key.out());
    if (status == ERROR_SUCCESS) status = setStringValue(key.get(), name, data);
    return status;
}

LONG Win32StartAtLogin::erase(HKEY root, const std::string& name) {
    RegistryKey key;
    LONG status = open_(root, kRunKey, KEY_SET_VALUE, false, key.out());
    if (status == ERROR_SUCCESS) status = RegDeleteValueA(key.get(), toAnsi(name).c_str());
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;  // nothing there to remove
    // A key this user may not change is fine as long as it does not hold the value.
    if (status != ERROR_SUCCESS && !has(root, name)) return ERROR_SUCCESS;
    return status;
}

std::optional<std::string> Win32StartAtLogin::program(HKEY root, const std::string& name) {
    RegistryKey key;
    if (open_(root, kRunKey, KEY_QUERY_VALUE, false, key.out()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::string data;
    const LONG status = getStringValue(key.get(), name, data);
    if (status == ERROR_SUCCESS) return programOf(data);
    if (status == ERROR_INVALID_DATATYPE) return std::string();
    return std::nullopt;
}

bool Win32StartAtLogin::has(HKEY root, const std::string& name) {
    return program(root, name).has_value();
}

std::string Win32StartAtLogin::programOf(const std::string& command) {
    if (command.empty() || command[0] != '"') return command;
    const std::size_t end = command.find('"', 1);
    return end == std::string::npos ? std::string() : command.substr(1, end - 1);
}

bool Win32StartAtLogin::add(const std::string& name, const std::string& executablePath,
                            std::string& error) {
    const std::string data = runCommand(executablePath);
    // A path the system's code page can't spell comes out with '?', which no file name holds:
    // such a value would start nothing.
    if (toAnsi(executablePath).find('?') != std::string::npos) {
        error = "the program's path \"" + executablePath +
                "\" has characters that the system's code page for programs without Unicode "
                "support lacks";
        return false;
    }
    const LONG machine =
        registryVirtualized() ? ERROR_ACCESS_DENIED : write(HKEY_LOCAL_MACHINE, name, data);
    if (machine == ERROR_SUCCESS) {
        erase(HKEY_CURRENT_USER, name);
        return true;
    }
    const LONG user = write(HKEY_CURRENT_USER, name, data);
    if (user == ERROR_SUCCESS) return true;
    error = "the Run key could not be written (" + rootName(HKEY_LOCAL_MACHINE) + ": " +
            describeError(machine) + "; " + rootName(HKEY_CURRENT_USER) + ": " +
            describeError(user) + ")";
    return false;
}

bool Win32StartAtLogin::remove(const std::string& name, std::string& error) {
    std::string failures;
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        const LONG status = erase(root, name);
        if (status == ERROR_SUCCESS) continue;
        if (!failures.empty()) failures += "; ";
        failures += rootName(root) + ": " + describeError(status);
    }
    if (failures.empty()) return true;
    error = "the Run key entry \"" + name + "\" could not be removed (" + failures + ")";
    return false;
}

std::optional<std::string> Win32StartAtLogin::registeredProgram(const std::string& name) {
    // Both roots start their values; one that starts a program still there is the answer.
    const auto machine = program(HKEY_LOCAL_MACHINE, name);
    const auto user = program(HKEY_CURRENT_USER, name);
    if (machine && user && *machine != *user) {
        return GetFileAttributesA(toAnsi(*machine).c_str()) != INVALID_FILE_ATTRIBUTES ? machine
                                                                                       : user;
    }
    return machine ? machine : user;
}

}  // namespace tw::win32_platform
