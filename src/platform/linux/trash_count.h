#pragma once

// Counting a trash directory's items for the drive query. The count decides whether a bin is
// emptied at all, so it has to be quick on a large trash and must never say empty when it could
// not look.

#include <cstdint>
#include <optional>

namespace tw::linux_platform {

// The items of a trash directory (see TrashItems): one pass over files/ and one over info/,
// never below them, so a large trash is counted quickly. Nothing when files/ or info/ exists
// but can't be read: the count can't tell, and must not claim the trash is empty.
std::optional<std::int64_t> countTrashItems(int trashFd);

}  // namespace tw::linux_platform
