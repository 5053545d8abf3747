#pragma once

// The moment an empty began, and whether a change that a file system stamped may have come
// after it. An empty removes only what it listed, and an item changed since it began (restored
// and trashed again, or being worked on) is not what the user emptied: it stays. File systems
// stamp changes coarsely, so the comparison leans towards keeping:
//  - the start is read from the clock file systems stamp with (the coarse real-time clock):
//    nothing changed after it is stamped earlier, and a change in the same tick counts as late;
//  - a stamp is taken to be cut to the coarsest step it is a multiple of (two seconds, as FAT's
//    modification times; whole seconds, as ext3 or ext4 with small inodes; 10 ms, as exFAT;
//    down to 1 ns): a change stamped within that step before the start may have followed it;
//  - a stamp later than the present (read after the stamp) comes from a clock that has since
//    been stepped back, not from a late change; and since the time elapsed since the start
//    knows no clock steps, a step during the empty itself moves neither bound past a change
//    made meanwhile.

#include <time.h>

#include <cstdint>
#include <functional>

namespace tw::linux_platform {

// Nanoseconds added to every reading of the real-time clock: a test steps the clock here.
using ClockStep = std::function<std::int64_t()>;

// A file system stamp in ns since the epoch, held to within about 146 years of 1970.
std::int64_t nanoseconds(const struct timespec& stamp);

class EmptyStart {
  public:
    // A bound on the error of a clock step measured during an empty (ns): the start is put that
    // much earlier still, so a change made in the tick the empty began in counts as late.
    static constexpr std::int64_t kMeasuringError = 1000000;

    static EmptyStart now(ClockStep step = {});

    // Whether a change stamped `stamp` may have happened since this moment and not after the
    // present.
    bool changedSince(const struct timespec& stamp) const;

    // Whether something deleted at `deleted` (ns since the epoch) was deleted at least
    // `seconds` before this moment. A deletion later than the present is not: it counts as
    // the present.
    bool deletedAtLeast(std::int64_t deleted, std::int64_t seconds) const;

  private:
    std::int64_t realTime(clockid_t clock) const;
    // The real-time clock (as realTime) and the boot-time clock, at one moment.
    struct Moment {
        std::int64_t real = 0;
        std::int64_t elapsed = 0;
    };
    Moment moment() const;

    ClockStep step_;
    // At the start, in ns: the real-time clock as file systems read it, and as it is; the
    // boot-time clock.
    std::int64_t real_ = 0;
    std::int64_t precise_ = 0;
    std::int64_t elapsed_ = 0;
};

}  // namespace tw::linux_platform
