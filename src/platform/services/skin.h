#pragma once

#include <cstdint>
#include <string>

#include "platform/services/window_handle.h"

namespace tw {

// The skin engine: loads a skin file and applies it to a window.
class SkinEngine {
  public:
    virtual ~SkinEngine() = default;
    // Throws when the file can't be loaded as a skin.
    virtual void loadSkin(const std::string& path, const std::string& ini) = 0;
    virtual std::int32_t applyOptions() = 0;
    virtual void setApplyOptions(std::int32_t options) = 0;
    virtual void setOption(int id, bool value) = 0;
    virtual void applyWindow(WindowHandle window) = 0;
};

}  // namespace tw
