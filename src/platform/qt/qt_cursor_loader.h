#pragma once

// The custom pointer read from a Windows cursor file (.cur).

#include <QCursor>
#include <QString>
#include <optional>

#include "platform/services/cursor.h"

namespace tw::qt_platform {

class QtCursorLoader : public CursorLoader {
  public:
    // Throws tw::invalidPictureError() when the file is not a cursor that can be shown.
    void loadCursor(const std::string& path) override;
    // The pointer loaded last, if any.
    const std::optional<QCursor>& cursor() const { return cursor_; }

  private:
    std::optional<QCursor> cursor_;
};

// The hot spot of the first image of a cursor file's directory, or nothing when the header is
// not a cursor's (reserved 0, type 2, at least one entry).
struct HotSpot {
    int x = 0;
    int y = 0;
};
std::optional<HotSpot> cursorHotSpot(const QByteArray& file);

}  // namespace tw::qt_platform
