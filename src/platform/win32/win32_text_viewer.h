#pragma once

#include "platform/services/text_viewer.h"

namespace tw::win32_platform {

// The program the user's system opens text files with (ShellExecute's "open").
class Win32TextViewer : public TextViewer {
  public:
    bool open(const std::string& path) override;
};

}  // namespace tw::win32_platform
