#pragma once

// Windows' side of platform/shared/own_file.h: the journal's files are opened without following
// a reparse point (a symbolic link or a junction put at the path), sharing with every other
// opener so that neither side waits or is refused, and kept only when they are a file on disk
// with one name.

#include "platform/shared/own_file.h"

namespace tw::win32_platform {

class Win32OwnFiles : public OwnFiles {
  public:
    OwnFileOpening openPrivate(const std::filesystem::path& path, bool create) override;
};

}  // namespace tw::win32_platform
