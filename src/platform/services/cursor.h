#pragma once

#include <string>

namespace tw {

class CursorLoader {
  public:
    virtual ~CursorLoader() = default;
    // Loads a cursor file as the window's custom pointer, hot spot included. Throws an
    // AppError ("Invalid picture") when the file is not a cursor picture.
    virtual void loadCursor(const std::string& path) = 0;
};

}  // namespace tw
