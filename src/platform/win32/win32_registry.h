#pragma once

// Small helpers over the registry calls shared by the settings store and the Run entry.

#include <string>

#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

// Closes the key when it goes out of scope.
class RegistryKey {
  public:
    RegistryKey() = default;
    explicit RegistryKey(HKEY key) : key_(key) {}
    ~RegistryKey() { reset(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey(RegistryKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }

    HKEY get() const { return key_; }
    HKEY* out() {
        reset();
        return &key_;
    }
    explicit operator bool() const { return key_ != nullptr; }

  private:
    void reset();
    HKEY key_ = nullptr;
};

// The system's description of an error code, e.g. "Access is denied. (5)".
std::string describeError(LONG code);

// Writes `value` (UTF-8) as REG_SZ in the ANSI code page, its NUL included.
LONG setStringValue(HKEY key, const std::string& name, const std::string& value);
// Reads a REG_SZ or REG_EXPAND_SZ value (unexpanded) as UTF-8. ERROR_FILE_NOT_FOUND when it
// is missing; ERROR_INVALID_DATATYPE when it holds something other than text.
LONG getStringValue(HKEY key, const std::string& name, std::string& value);

}  // namespace tw::win32_platform
