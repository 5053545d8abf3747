#include "platform/win32/win32_registry.h"

#include <algorithm>
#include <vector>

#include "platform/win32/win32_text.h"

namespace tw::win32_platform {

void RegistryKey::reset() {
    if (key_ != nullptr) RegCloseKey(key_);
    key_ = nullptr;
}

std::string describeError(LONG code) {
    char* buffer = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n > 0 && buffer ? fromAnsi(std::string(buffer, n)) : "Error";
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text + ". (" + std::to_string(code) + ")";
}

LONG setStringValue(HKEY key, const std::string& name, const std::string& value) {
    const std::string data = toAnsi(value);
    return RegSetValueExA(key, toAnsi(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1));
}

LONG getStringValue(HKEY key, const std::string& name, std::string& value) {
    const std::string ansiName = toAnsi(name);
    std::vector<char> data(256);
    for (;;) {
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        const LONG status = RegQueryValueExA(key, ansiName.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(data.data()), &size);
        if (status == ERROR_MORE_DATA) {
            data.resize(size + 1);  // grown meanwhile, or stored without its NUL
            continue;
        }
        if (status != ERROR_SUCCESS) return status;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATATYPE;
        // A value stored without its NUL (or with several) reads up to the first one.
        std::string text(data.data(), std::min<std::size_t>(size, data.size()));
        const std::size_t nul = text.find('\0');
        if (nul != std::string::npos) text.resize(nul);
        value = fromAnsi(text);
        return ERROR_SUCCESS;
    }
}

}  // namespace tw::win32_platform
