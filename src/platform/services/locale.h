#pragma once

#include <optional>
#include <string>

#include "runtime/date_value.h"

namespace tw {

// The user's date, time and number formats.
class Locale {
  public:
    virtual ~Locale() = default;
    // The date in the user's short date format, e.g. "12/07/2026".
    virtual std::string formatDate(const CivilDate& date) const = 0;
    // The time of day in the user's time format, always with seconds, e.g. "10:30:00 PM".
    virtual std::string formatTime(const TimeOfDay& time) const = 0;
    // Reads a date, a time of day, or a date, one blank and a time, in the formats above.
    virtual std::optional<DateValue> parseDateTime(const std::string& text) const = 0;
    // The decimal separator of the user's number format, e.g. "." or ",".
    virtual std::string decimalSeparator() const = 0;
};

}  // namespace tw
