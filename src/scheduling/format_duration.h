#pragma once

#include <cstdint>
#include <string>

namespace tw {

// "hh:mm:ss", or from one full day upward "<days> day(s) and hh:mm:ss". A negative count shows
// the clock text of its magnitude modulo one day.
std::string FormatDuration(std::int32_t seconds);

}  // namespace tw
