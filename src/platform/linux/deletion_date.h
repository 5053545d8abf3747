#pragma once

// When a trashed item was deleted, from the DeletionDate of its .trashinfo record. The standard
// form is a local time without a zone ("2004-08-31T22:32:08"); other programs write the compact
// date ("20040831T22:32:08"), fractional seconds and a trailing "Z" or UTC offset, so those are
// read too.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tw::linux_platform {

// The moment `text` names, in nanoseconds since the epoch (held to within about 146 years of
// 1970); nothing when it is not a date and time. A local time is read with the C library's
// rules for the time zone that tzset() last loaded (call it once before reading a trash's
// records: the C library does not look for a changed zone on every conversion, which would
// cost a look at the zone file per record). Where the zone shows that wall-clock time twice (clocks
// set back) or never (clocks set forward), the later of the moments it may mean is taken: an item
// then counts as deleted more recently, and an empty with an age floor keeps it rather than
// removing it early.
std::optional<std::int64_t> parseDeletionDate(std::string_view text);

}  // namespace tw::linux_platform
