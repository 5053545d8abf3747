// FindDuration: the whole seconds from now to the next scheduled empty.

#include "app/form1.h"
#include "runtime/calendar.h"
#include "runtime/checked_int32.h"
#include "runtime/errors.h"

namespace tw {

namespace {

// The weekday used when the list has no selection; the load always selects one, and Monday
// is what it selects on a fresh installation.
constexpr int kDefaultWeekdayIndex = 1;

}  // namespace

std::string Form1::pickerText() const {
    const DateValue& v = dtpWeekly.value();
    const Locale& locale = services_.locale;
    if (v.date && v.time) return locale.formatDate(*v.date) + " " + locale.formatTime(*v.time);
    if (v.date) return locale.formatDate(*v.date);
    return locale.formatTime(v.time.value_or(TimeOfDay{}));
}

void Form1::FindDuration() {
    // Until this computation succeeds there is no countdown to run: a failure below, or no
    // mode selected, leaves the ticks nothing to count or empty on.
    countdownReady_ = false;
    const LocalDateTime now = services_.clock.now();
    const CivilDate today = DateOf(now);
    const std::int64_t nowSeconds = CalendarSeconds(today, TimeOf(now));

    if (policy_.mode == ScheduleMode::Weekly) {
        const int chosen = policy_.weekday >= 0 ? policy_.weekday : kDefaultWeekdayIndex;
        int days = (chosen + 1) - Weekday(today);
        if (days <= 0) days += 7;
        SecondsToNextEmpty =
            checked::toInt32(CalendarSeconds(AddDays(today, days), TimeOfDay{}) - nowSeconds);
        countdownReady_ = true;
    } else if (policy_.mode == ScheduleMode::Daily) {
        // A picker that holds a date instead of a time of day fails with a type mismatch.
        if (!policy_.dailyTime) throw typeMismatchError();
        const TimeOfDay at = *policy_.dailyTime;
        std::int64_t s = CalendarSeconds(today, at) - nowSeconds;
        if (s < 0) s = CalendarSeconds(AddDays(today, 1), at) - nowSeconds;
        SecondsToNextEmpty = checked::toInt32(s);
        countdownReady_ = true;
    } else if (policy_.mode == ScheduleMode::Every) {
        bool repaired = false;
        const auto repair = [&](controls::TextBox& box, BoxValue<double>& count, int value) {
            if (count.inForce()) return;
            count.repair(value);
            box.setText(std::to_string(value));
            repaired = true;
        };
        repair(Text11, policy_.everyHours, 0);
        repair(Text2, policy_.everyMinutes, 0);
        repair(Text3, policy_.everyDays, 1);
        const double m = *policy_.everyMinutes.inForce() * 60.0;
        const double h = *policy_.everyHours.inForce() * 3600.0 + m;
        const std::int32_t seconds =
            checked::roundToInt32(*policy_.everyDays.inForce() * 86400.0 + h);
        // Zero empties at every tick. The user may ask for that by typing it, but a repaired
        // box must not turn a schedule into one: an hours or minutes box that held no count
        // beside zeros in the others would otherwise empty every second.
        if (seconds == 0 && repaired) throw AppError(5, "Invalid procedure call or argument");
        SecondsToNextEmpty = seconds;
        countdownReady_ = true;
    }
}

}  // namespace tw
