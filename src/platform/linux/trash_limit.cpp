#include "platform/linux/trash_limit.h"

#include <algorithm>

namespace tw::linux_platform {

std::int64_t limitCutoff(std::vector<AgedSize>& removable, std::uint64_t total,
                         std::uint64_t limit) {
    if (total <= limit) return kNothingGoes;
    std::sort(removable.begin(), removable.end(),
              [](const AgedSize& a, const AgedSize& b) { return a.deleted < b.deleted; });
    std::uint64_t left = total;
    std::int64_t cutoff = kNothingGoes;
    for (std::size_t i = 0; i < removable.size() && left > limit;) {
        // One moment at a time: what was deleted together goes together.
        cutoff = removable[i].deleted;
        for (; i < removable.size() && removable[i].deleted == cutoff; ++i) {
            left -= std::min(left, removable[i].bytes);
        }
    }
    return cutoff;
}

}  // namespace tw::linux_platform
