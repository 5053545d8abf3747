#include "platform/win32/win32_guard.h"

#include "platform/win32/win32_api.h"

#include <cstdio>

#include "platform/win32/win32_text.h"

namespace tw::win32_platform {

void reportToDebugger(const std::string& description) {
    const std::string line = "Tidewell: " + description + "\n";
    OutputDebugStringA(toAnsi(line).c_str());
    std::fputs(line.c_str(), stderr);
}

}  // namespace tw::win32_platform
