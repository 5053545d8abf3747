#pragma once

// Reading a stored time of day. The weekly and daily times are stored in the format of the
// locale that wrote them; after the user's locale changes they must still read back as the
// same time, not as an error or as another time.

#include <optional>
#include <string>
#include <string_view>

#include "runtime/date_value.h"

namespace tw::linux_platform {

// The user's language's names for the two halves of a 12-hour day ("" when it has none).
struct DayHalfNames {
    std::string am;
    std::string pm;
};

// Reads a time of day however a locale may have written it: hours and minutes, with or
// without seconds, joined by ":" or "."; 24-hour, or 12-hour with AM/PM before or after it,
// in English or in the user's language. A date, or anything else around the time, is not
// a time. A stored time outlives the locale that wrote it (a start under another LANG).
std::optional<TimeOfDay> ReadTimeOfDay(std::string_view text, const DayHalfNames& local);

}  // namespace tw::linux_platform
