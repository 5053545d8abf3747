#pragma once

// The file service on Linux: the program's own folder (from /proc/self/exe), folder listings
// and modification times, which the load uses to find the optional files beside the program.

#include "platform/services/files.h"

namespace tw::linux_platform {

class LinuxFiles : public Files {
  public:
    std::string programFolder() override;
    std::string ownExecutablePath() override;
    std::string separator() override { return "/"; }
    std::vector<std::string> listFiles(const std::string& folder,
                                       const std::string& pattern) override;
    std::optional<long long> modificationTime(const std::string& path) override;
};

}  // namespace tw::linux_platform
