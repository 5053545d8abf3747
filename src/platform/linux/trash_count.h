#pragma once

#include <cstdint>
#include <optional>

namespace tw::linux_platform {

// The items of a trash directory (see TrashItems): one pass over files/ and one over info/,
// never below them, so a large trash is counted quickly. Nothing when files/ or info/ exists
// but can't be read: the count can't tell, and must not claim the trash is empty.
std::optional<std::int64_t> countTrashItems(int trashFd);

}  // namespace tw::linux_platform
