#pragma once

#include <string>

namespace tw {

// Shows a text file to the user in the desktop's own viewer for text.
class TextViewer {
  public:
    virtual ~TextViewer() = default;
    // False when no viewer could be started for it.
    virtual bool open(const std::string& path) = 0;
};

}  // namespace tw
