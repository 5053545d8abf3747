#pragma once

#include <string>
#include <vector>

#include "platform/services/text_viewer.h"

namespace tw::test {

// Records what it was asked to show; answers with `opens`.
class RecordingViewer : public TextViewer {
  public:
    bool open(const std::string& path) override {
        shown.push_back(path);
        return opens;
    }
    std::vector<std::string> shown;
    bool opens = true;
};

}  // namespace tw::test
