// FindDuration: the whole seconds from now to the next scheduled empty.

#include "app/form1.h"
#include "runtime/calendar.h"
#include "runtime/checked_int32.h"
#include "runtime/errors.h"
#include "scheduling/interval_count.h"

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

    if (Option1.value()) {
        const int chosen =
            cboWeekly.listIndex() >= 0 ? cboWeekly.listIndex() : kDefaultWeekdayIndex;
        int days = (chosen + 1) - Weekday(today);
        if (days <= 0) days += 7;
        SecondsToNextEmpty =
            checked::toInt32(CalendarSeconds(AddDays(today, days), TimeOfDay{}) - nowSeconds);
        countdownReady_ = true;
    } else if (Option2.value()) {
        // The target is read back from text, as the picker's value is only meaningful as a
        // time of day: a picker that holds a date instead fails here with a type mismatch.
        const auto target =
            services_.locale.parseDateTime(services_.locale.formatDate(today) + " " + pickerText());
        if (!target || !target->date || !target->time) throw typeMismatchError();
        std::int64_t s = CalendarSeconds(*target->date, *target->time) - nowSeconds;
        if (s < 0) s = CalendarSeconds(AddDays(*target->date, 1), *target->time) - nowSeconds;
        SecondsToNextEmpty = checked::toInt32(s);
        countdownReady_ = true;
    } else if (Option3.value()) {
        const std::string sep = services_.locale.decimalSeparator();
        bool repaired = false;
        const auto repair = [&](controls::TextBox& box, const char* replacement) {
            if (ReadIntervalCount(box.text(), sep)) return;
            box.setText(replacement);
            repaired = true;
        };
        repair(Text11, "0");
        repair(Text2, "0");
        repair(Text3, "1");
        // A change handler could in principle put a non-number back; treat that as the
        // conversion failing rather than reading garbage.
        const auto hours = ReadIntervalCount(Text11.text(), sep);
        const auto minutes = ReadIntervalCount(Text2.text(), sep);
        const auto days = ReadIntervalCount(Text3.text(), sep);
        if (!hours || !minutes || !days) throw typeMismatchError();
        const double m = *minutes * 60.0;
        const double h = *hours * 3600.0 + m;
        const std::int32_t seconds = checked::roundToInt32(*days * 86400.0 + h);
        // Zero empties at every tick. The user may ask for that by typing it, but a repaired
        // box must not turn a schedule into one: an hours or minutes box that held no count
        // beside zeros in the others would otherwise empty every second.
        if (seconds == 0 && repaired) throw AppError(5, "Invalid procedure call or argument");
        SecondsToNextEmpty = seconds;
        countdownReady_ = true;
    }
}

}  // namespace tw
