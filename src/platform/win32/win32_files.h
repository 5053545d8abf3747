#pragma once

// The program's files through the ANSI file calls. Times come from FILETIME: this toolchain's
// time_t is 32 bits wide, so the C library's time calls end in 2038.

#include "platform/services/files.h"

namespace tw::win32_platform {

class Win32Files : public Files {
  public:
    // The folder without its trailing backslash, except at a drive root ("C:\").
    std::string programFolder() override;
    std::string ownExecutablePath() override;
    std::string separator() override { return "\\"; }
    // Ordinary files only: no folders, no hidden or system files.
    std::vector<std::string> listFiles(const std::string& folder,
                                       const std::string& pattern) override;
    std::optional<long long> modificationTime(const std::string& path) override;
};

// FILETIME (100 ns ticks since 1601) as seconds since 1970.
long long unixSecondsFromFileTime(unsigned long long fileTime);

}  // namespace tw::win32_platform
