#include "platform/win32/win32_clock.h"

#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

Win32Clock::Win32Clock() {
    LARGE_INTEGER frequency{};
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) {
        counterFrequency_ = static_cast<double>(frequency.QuadPart);
    }
}

LocalDateTime Win32Clock::now() const {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

double Win32Clock::monotonicSeconds() const {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / counterFrequency_;
}

// GetTickCount64 goes on counting while the machine sleeps (QueryUnbiasedInterruptTime is
// the one that stops), so a countdown that wakes up late can credit the time it missed.
double Win32Clock::bootSeconds() const {
    return static_cast<double>(GetTickCount64()) / 1000.0;
}

}  // namespace tw::win32_platform
