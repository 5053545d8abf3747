#pragma once

#include <cstdint>

namespace tw::linux_platform {

// The items of a trash directory: the top-level entries of its files/ directory plus the
// .trashinfo files in info/ whose item is missing. Reads those two directories only, never
// below them, so a large trash is counted quickly.
std::int64_t countTrashItems(int trashFd);

}  // namespace tw::linux_platform
