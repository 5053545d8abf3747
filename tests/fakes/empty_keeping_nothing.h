#pragma once

#include "platform/services/recycle_bin_shell.h"

namespace tw::test {

// An empty with no age floor, its report dropped: what every empty was before the floor.
inline std::int32_t emptyKeepingNothing(RecycleBinShell& shell, WindowHandle owner,
                                        const char* rootPath, std::uint32_t flags) {
    EmptyReport report;
    return shell.emptyRecycleBin(owner, rootPath, flags, {}, report);
}

}  // namespace tw::test
