#pragma once

// What a scheduled empty may do: when it comes and what it keeps. Built from the settings at
// load and changed only where a choice is committed (an option when chosen, a box when the
// focus leaves it); the tick and the empty read it, never the window's boxes.

#include <algorithm>
#include <cstdint>
#include <optional>

#include "runtime/date_value.h"

namespace tw {

// A value edited in a box: what the box shows and what is in force. A value the program puts
// in counts at once; one the user types counts when the focus leaves the box holding it, so a
// number half typed ("3" on the way to "30") is never acted on.
template <class T>
class BoxValue {
  public:
    void show(std::optional<T> value, bool typing) {
        shown_ = value;
        if (!typing) inForce_ = value;
    }
    // Leaving the box without a value (the warning takes the focus back) changes nothing.
    void commit() {
        if (shown_) inForce_ = shown_;
    }
    // Set in place of what could not be read, so the schedule can go on.
    void repair(T value) { shown_ = inForce_ = value; }
    const std::optional<T>& inForce() const { return inForce_; }
    const std::optional<T>& shown() const { return shown_; }

  private:
    std::optional<T> shown_;
    std::optional<T> inForce_;
};

enum class ScheduleMode { None, Weekly, Daily, Every };

struct EmptyPolicy {
    ScheduleMode mode = ScheduleMode::None;
    // The weekday list's index (0 is Sunday); -1 when nothing is chosen.
    int weekday = -1;
    // The daily moment; nothing while the picker holds no time of day alone.
    std::optional<TimeOfDay> dailyTime;
    // "Empty every:" as counts of days, hours and minutes; nothing where a box held no count.
    BoxValue<double> everyDays, everyHours, everyMinutes;
    // "Keep Recent Items" in whole seconds; nothing while no number of days was given.
    BoxValue<std::int64_t> keep;
    // "Trash Size" in bytes, 0 for none; nothing while the box holds no number. Only a limit
    // in force counts: one half typed ("5" on the way to "50") would remove more.
    BoxValue<std::uint64_t> limit;

    // The floor of a scheduled empty starting now. While the user types, never below the floor
    // in force, and nothing goes where none was in force.
    std::optional<std::int64_t> scheduledKeepSeconds() const {
        const auto& inForce = keep.inForce();
        if (!inForce || !keep.shown()) return inForce;
        return std::max(*keep.shown(), *inForce);
    }
};

}  // namespace tw
