// The once-a-second countdown tick and the progress bar.

#include <algorithm>
#include <cmath>

#include "app/form1.h"
#include "runtime/checked_int32.h"
#include "runtime/error_trap.h"
#include "scheduling/format_duration.h"

namespace tw {

namespace {

constexpr const char* kCountdownPrefix = "On. Next empty will occur in: ";

}  // namespace

void Form1::UpdateProgress(std::int32_t total, std::int32_t elapsed) {
    ProgressBar1.setMax(total);
    if (elapsed <= total) ProgressBar1.setPosition(elapsed);
}

void Form1::Timer1_Timer() {
    ErrorTrap trap(errorBox(services_.messageBox), "Form1", "Timer1_Timer");
    if (trap.test(100, [&] { return Timer1.interval() == 0; })) {
        trap.run(102, [&] { Frame2.setCaption("Off."); });
        return;
    }
    // No countdown for the present schedule yet: the load has not computed it (an error box
    // of the load runs its own event loop, and this tick with it), or the computation failed.
    // Counting or emptying on a stale or zero count would empty what nobody scheduled.
    const auto noCountdown = [&] {
        if (!Loading && countdownReady_) return false;
        if (!Loading) stopSchedule();
        return true;
    };
    if (noCountdown()) return;
    // Waiting input (the user switching off, say) goes before a tick that may empty or that
    // starts a count; an ordinary tick needs no turn of the event loop of its own.
    if (!tickAnchored_ || tickSerial_ != Timer1.serial() ||
        std::int64_t{SecondsToNextEmpty} - SecondsElapsed <= 1 ||
        services_.clock.bootSeconds() - tickAnchor_ >= 2.0) {
        trap.run(104, [&] { services_.pump.processEvents(); });
    }
    // A handler that ran just now may have switched the schedule off, or restarted the
    // countdown and failed.
    if (Timer1.interval() == 0 || noCountdown()) return;
    trap.run(106, [&] {
        // One tick is one second while ticks come on time. A tick that comes late (suspend,
        // a stalled machine) is credited with the whole seconds that really passed, on a clock
        // that runs through suspend, so a missed moment is caught up now.
        std::int32_t step = 1;
        const double now = services_.clock.bootSeconds();
        if (tickAnchored_ && tickSerial_ == Timer1.serial()) {
            const double whole = std::floor(now - tickAnchor_);
            if (whole >= 2.0) {
                // Past the due moment the exact count no longer matters; stop there.
                const double due =
                    std::max(1.0, double(SecondsToNextEmpty) - double(SecondsElapsed));
                step = static_cast<std::int32_t>(std::min(whole, due));
                tickAnchor_ += whole;
            } else {
                tickAnchor_ += 1.0;
            }
        } else {
            tickAnchor_ = now;
        }
        tickSerial_ = Timer1.serial();
        tickAnchored_ = true;
        SecondsElapsed = checked::add(SecondsElapsed, step);
    });
    trap.run(108, [&] { UpdateProgress(SecondsToNextEmpty, SecondsElapsed); });
    trap.run(110, [&] {
        const std::int32_t remaining = checked::subtract(SecondsToNextEmpty, SecondsElapsed);
        Frame2.setCaption(kCountdownPrefix + FormatDuration(remaining));
    });
    if (trap.test(112, [&] { return SecondsElapsed >= SecondsToNextEmpty; })) {
        trap.run(114, [&] { Timer1.setTimerEnabled(false); });
        trap.run(116, [&] { EmptyOnSchedule(); });
        trap.run(118, [&] {
            FindDuration();
            // The daily moment that was just emptied is the present second; without this it
            // would be due again at the next tick and empty twice.
            if (policy_.mode == ScheduleMode::Daily && SecondsToNextEmpty == 0)
                SecondsToNextEmpty = 86400;
        });
        // The next countdown could not be computed (its box was shown once): the old length
        // belongs to a schedule the user has since changed, so stop rather than run it again.
        if (!countdownReady_) stopSchedule();
        trap.run(120, [&] { Timer1.setTimerEnabled(true); });
        trap.run(122, [&] { SecondsElapsed = 0; });
    }
    // After the empty, if there was one, so the measure sees what it left.
    trap.run(124, [&] { MeasureTrash(); });
}

}  // namespace tw
