#pragma once

// The user's formats, set by the test: date and time formats made of %d %m %Y %H %M %S and
// literal characters, read and written the same way on every platform.

#include <string>

#include "platform/services/locale.h"

namespace tw::test {

class FakeLocale : public Locale {
  public:
    FakeLocale(std::string dateFormat, std::string timeFormat, std::string decimalSeparator)
        : dateFormat_(std::move(dateFormat)),
          timeFormat_(std::move(timeFormat)),
          decimalSeparator_(std::move(decimalSeparator)) {}

    std::string formatDate(const CivilDate& date) const override;
    std::string formatTime(const TimeOfDay& time) const override;
    // The date and time formats, and like the real locales the common 24-hour forms too.
    std::optional<DateValue> parseDateTime(const std::string& text) const override;
    std::string decimalSeparator() const override { return decimalSeparator_; }

  private:
    std::string dateFormat_;
    std::string timeFormat_;
    std::string decimalSeparator_;
};

}  // namespace tw::test
