#pragma once

// The user's date, time and number formats from the locale settings.

#include <string>

#include "platform/services/locale.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_time_picture.h"

namespace tw::win32_platform {

class Win32Locale : public Locale {
  public:
    // The formats of `locale` as they are at construction; tests name a locale.
    explicit Win32Locale(LCID locale = LOCALE_USER_DEFAULT);

    std::string formatDate(const CivilDate& date) const override;
    // Always with seconds: the stored daily time is read back from this text.
    std::string formatTime(const TimeOfDay& time) const override;
    // The user's own formats first, then the common 24- and 12-hour forms, so that a time
    // stored under another locale, or typed by hand without seconds, still reads back.
    std::optional<DateValue> parseDateTime(const std::string& text) const override;
    std::string decimalSeparator() const override { return decimalSeparator_; }

    const std::string& timePicture() const { return timePicture_; }

  private:
    std::string info(LCTYPE type, const char* fallback) const;

    LCID locale_;
    std::string timePicture_;
    std::string datePicture_;
    std::string decimalSeparator_;
    PictureNames names_;
};

}  // namespace tw::win32_platform
