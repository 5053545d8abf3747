#pragma once

#include <string>

#include "platform/locale.h"

namespace tw::linux_platform {

// The C library's idea of the user's formats (LC_TIME, LC_NUMERIC) at construction.
class LinuxLocale : public Locale {
  public:
    LinuxLocale();
    // For tests: explicit strftime formats and decimal separator.
    LinuxLocale(std::string dateFormat, std::string timeFormat, std::string decimalSeparator);

    std::string formatDate(const CivilDate& date) const override;
    std::string formatTime(const TimeOfDay& time) const override;
    std::optional<DateValue> parseDateTime(const std::string& text) const override;
    std::string decimalSeparator() const override { return decimalSeparator_; }

  private:
    std::string dateFormat_;
    std::string timeFormat_;
    std::string decimalSeparator_;
};

}  // namespace tw::linux_platform
