#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tw {

class Files {
  public:
    virtual ~Files() = default;
    // The folder of the program's executable, without a trailing separator.
    virtual std::string programFolder() = 0;
    // The absolute path of the running program's own executable.
    virtual std::string ownExecutablePath() = 0;
    // The path separator of this system ("/" or "\\").
    virtual std::string separator() = 0;
    // Ordinary files (no folders, no hidden files) whose names in `folder` match `pattern`
    // ("*" and "?" wildcards), in the order the file system lists them.
    virtual std::vector<std::string> listFiles(const std::string& folder,
                                               const std::string& pattern) = 0;
    // Seconds since the epoch of the last change, or nothing when the path can't be queried.
    virtual std::optional<long long> modificationTime(const std::string& path) = 0;
};

}  // namespace tw
