#pragma once

// The user's date, time and number formats on Linux, as the C library's locale data gives
// them, so that the schedule's dates and numbers read and show the way the user's desktop does.

#include <locale.h>

#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "platform/linux/time_text.h"
#include "platform/services/locale.h"

namespace tw::linux_platform {

// The C library's idea of a locale's formats (LC_TIME, LC_NUMERIC), held in a locale object
// of its own so that reading and writing do not depend on the process's global locale.
class LinuxLocale : public Locale {
  public:
    // The user's formats, as the environment names them (LC_ALL, LC_TIME, LANG); the C
    // formats when that locale is not installed.
    LinuxLocale();
    // The formats of an installed locale such as "de_DE.UTF-8"; nothing when it is missing.
    static std::optional<LinuxLocale> named(const std::string& name);
    // For tests: explicit strftime formats and decimal separator, AM/PM as in English.
    LinuxLocale(std::string dateFormat, std::string timeFormat, std::string decimalSeparator);

    std::string formatDate(const CivilDate& date) const override;
    std::string formatTime(const TimeOfDay& time) const override;
    std::optional<DateValue> parseDateTime(const std::string& text) const override;
    std::string decimalSeparator() const override { return decimalSeparator_; }

  private:
    using Handle = std::shared_ptr<std::remove_pointer_t<locale_t>>;
    explicit LinuxLocale(Handle locale);
    std::optional<TimeOfDay> readTime(const std::string& text) const;

    Handle locale_;
    std::string dateFormat_;
    std::string timeFormat_;
    std::string decimalSeparator_;
    DayHalfNames dayHalves_;
};

}  // namespace tw::linux_platform
