#pragma once

// The custom pointer from a cursor file (.cur or .ani).

#include "platform/services/cursor.h"
#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

class Win32CursorLoader : public CursorLoader {
  public:
    Win32CursorLoader() = default;
    ~Win32CursorLoader() override;
    Win32CursorLoader(const Win32CursorLoader&) = delete;
    Win32CursorLoader& operator=(const Win32CursorLoader&) = delete;

    // Throws tw::invalidPictureError() when the system can't make a pointer of the file; the
    // pointer loaded before stays.
    void loadCursor(const std::string& path) override;
    // The pointer loaded last, or null.
    HCURSOR cursor() const { return cursor_; }

  private:
    HCURSOR cursor_ = nullptr;
};

}  // namespace tw::win32_platform
