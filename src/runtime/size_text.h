#pragma once

// Sizes in words for the user.

#include <cstdint>
#include <string>

namespace tw {

// `bytes` in units of `base` (1 000 or 1 024) with one decimal: "2.1 GB"; nothing under one kB.
std::string SizeInUnits(std::uint64_t bytes, double base);

// A size as the desktop shows it, in units of 1 024 ("2.1 GB"), the unit of "Trash Size".
std::string ShownSize(std::uint64_t bytes);

}  // namespace tw
