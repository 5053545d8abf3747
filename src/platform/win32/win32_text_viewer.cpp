#include "platform/win32/win32_text_viewer.h"

#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

bool Win32TextViewer::open(const std::string& path) {
    // Above 32: started; the rest are error codes.
    const auto started = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return started > 32;
}

}  // namespace tw::win32_platform
