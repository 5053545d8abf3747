#pragma once

// Path resolution that can't hang. realpath() looks up every component, and one on a dead
// network share blocks for minutes; this resolves only through mounts known to be local.

#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/mount_table.h"

namespace tw::linux_platform {

// Resolves an absolute path to its canonical form, as realpath does, one component at a time,
// and gives up (nothing) before any lookup that would touch a mount `mounts` does not call
// local, so a hung network share can't block the caller. Also nothing when the path is
// relative, missing, or has too many symbolic links.
std::optional<std::string> resolveLocalPath(std::string_view path, const MountTable& mounts);

}  // namespace tw::linux_platform
