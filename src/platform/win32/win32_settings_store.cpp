#include "platform/win32/win32_settings_store.h"

#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text.h"

namespace tw::win32_platform {

namespace {

void showBox(const std::string& message) {
    MessageBoxA(nullptr, toAnsi(message).c_str(), "Tidewell",
                MB_OK | MB_ICONWARNING | MB_TASKMODAL | MB_SETFOREGROUND);
}

}  // namespace

Win32SettingsStore::Win32SettingsStore(Notifier notify, HKEY root, std::string base)
    : notify_(notify ? std::move(notify) : Notifier(&showBox)),
      root_(root),
      base_(std::move(base)) {}

std::string Win32SettingsStore::sectionPath(const std::string& application,
                                            const std::string& section) const {
    return base_ + "\\" + application + "\\" + section;
}

std::optional<std::string> Win32SettingsStore::read(const std::string& application,
                                                    const std::string& section,
                                                    const std::string& key) {
    RegistryKey hkey;
    LONG status = RegOpenKeyExA(root_, toAnsi(sectionPath(application, section)).c_str(), 0,
                                KEY_QUERY_VALUE, hkey.out());
    std::string value;
    if (status == ERROR_SUCCESS) status = getStringValue(hkey.get(), key, value);
    if (status == ERROR_SUCCESS) return value;
    if (status != ERROR_FILE_NOT_FOUND && status != ERROR_INVALID_DATATYPE) {
        // Unreadable is not the same as never written, but all the caller can do is take the
        // default; the debugger output says why.
        const std::string text = "Tidewell: could not read the setting \"" + key +
                                 "\": " + describeError(status) + "\r\n";
        OutputDebugStringA(toAnsi(text).c_str());
    }
    return std::nullopt;
}

void Win32SettingsStore::write(const std::string& application, const std::string& section,
                               const std::string& key, const std::string& value) {
    const std::string path = sectionPath(application, section);
    RegistryKey hkey;
    LONG status = RegCreateKeyExA(root_, toAnsi(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, hkey.out(), nullptr);
    if (status == ERROR_SUCCESS) status = setStringValue(hkey.get(), key, value);
    // On disk before the call returns, like every other store of the program: the system
    // would write it back only some seconds later, and a power cut in between loses it.
    if (status == ERROR_SUCCESS) status = RegFlushKey(hkey.get());
    if (status == ERROR_SUCCESS) return;
    report("Tidewell could not save the setting \"" + key + "\" in the registry (" + path +
           "): " + describeError(status) + "\r\nThe change holds until the program ends.");
}

void Win32SettingsStore::report(const std::string& message) {
    OutputDebugStringA(toAnsi("Tidewell: " + message + "\r\n").c_str());
    if (userTold_) return;
    userTold_ = true;
    notify_(message);
}

}  // namespace tw::win32_platform
