#include "platform/win32/win32_cursor.h"

#include "platform/win32/win32_text.h"
#include "runtime/errors.h"

namespace tw::win32_platform {

Win32CursorLoader::~Win32CursorLoader() {
    if (cursor_ != nullptr) DestroyCursor(cursor_);
}

void Win32CursorLoader::loadCursor(const std::string& path) {
    const HCURSOR loaded = LoadCursorFromFileA(toAnsi(path).c_str());
    if (loaded == nullptr) throw invalidPictureError();
    // Not destroyed while it may still be the window's pointer: the window asks cursor()
    // for each WM_SETCURSOR, so after this swap the old one is no longer handed out.
    const HCURSOR previous = cursor_;
    cursor_ = loaded;
    if (previous != nullptr && GetCursor() != previous) DestroyCursor(previous);
}

}  // namespace tw::win32_platform
