#pragma once

// The skin file needs a skin engine that Windows does not have, so a skin file next to the
// program changes nothing: it is neither loaded nor reported (an error box at every start
// for a file the user may not even know about would help nobody).

#include "platform/services/skin.h"

namespace tw::win32_platform {

class Win32NoSkin : public SkinEngine {
  public:
    void loadSkin(const std::string&, const std::string&) override {}
    std::int32_t applyOptions() override { return applyOptions_; }
    void setApplyOptions(std::int32_t options) override { applyOptions_ = options; }
    void setOption(int, bool) override {}
    void applyWindow(WindowHandle) override {}

  private:
    std::int32_t applyOptions_ = 0;
};

}  // namespace tw::win32_platform
