#pragma once

// What the next scheduled empty would do, told beforehand from a measure of the bins taken
// with its floor: the status line's tooltip while the schedule runs.

#include <cstdint>
#include <string>

#include "platform/services/trash_measure.h"

namespace tw {

std::string PreviewText(const TrashMeasure& measure, std::int64_t keepSeconds);

}  // namespace tw
