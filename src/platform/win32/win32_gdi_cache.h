#pragma once

// The fonts and brushes the window draws with, made once and freed with the window.

#include "platform/win32/win32_api.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/controls/controls.h"

namespace tw::win32_platform {

class GdiCache {
  public:
    explicit GdiCache(int dpi) : dpi_(dpi) {}
    ~GdiCache();
    GdiCache(const GdiCache&) = delete;
    GdiCache& operator=(const GdiCache&) = delete;

    int dpi() const { return dpi_; }
    // The model's font at the system DPI.
    HFONT font(const controls::Font& font);
    // A solid brush of a model colour (0x00BBGGRR or a system colour).
    HBRUSH brush(std::uint32_t color);

  private:
    int dpi_;
    std::vector<std::pair<controls::Font, HFONT>> fonts_;
    std::vector<std::pair<std::uint32_t, HBRUSH>> brushes_;
};

}  // namespace tw::win32_platform
