#pragma once

#include "platform/services/text_viewer.h"

namespace tw::qt_platform {

// The desktop's viewer for text, as Qt's desktop services find it (a portal or xdg-open).
class QtTextViewer : public TextViewer {
  public:
    bool open(const std::string& path) override;
};

}  // namespace tw::qt_platform
