// The on/off switch: its caption is its state.

#include "app/form1.h"
#include "app/product.h"
#include "app/settings.h"
#include "runtime/error_trap.h"

namespace tw {

void Form1::PushButton4_Click() {
    ErrorTrap trap(errorBox(services_.messageBox), "Form1", "PushButton4_Click");
    if (trap.test(100, [&] { return PushButton4.caption() == "Turn On"; })) {
        trap.run(102, [&] { PushButton4.setCaption("Turn Off"); });
        trap.run(104, [&] { Frame2.setCaption("On. Next empty will occur in: xx:xx:xx"); });
        trap.run(106, [&] {
            SecondsElapsed = 0;
            // Switching on runs the schedule the boxes show, half typed or not: the user sees
            // it and asks for it; what they hold that is no count is repaired below.
            takeShownCounts();
        });
        trap.run(108, [&] { FindDuration(); });
        // Without a countdown the schedule stays off, and "StartStopState" keeps what the user
        // last chose; correcting the entry and switching on again is the way on.
        if (!countdownReady_) {
            stopSchedule();
            return;
        }
        trap.run(110, [&] { Timer1.setInterval(1000); });
        trap.run(112, [&] { Timer1.setTimerEnabled(true); });
        trap.run(114, [&] {
            WriteSetting(services_.settings, kMakerName, kProductName, keys::kStartStopState, "On");
        });
    } else if (trap.test(116, [&] { return PushButton4.caption() == "Turn Off"; })) {
        trap.run(118, [&] { PushButton4.setCaption("Turn On"); });
        trap.run(120, [&] { Timer1.setInterval(0); });
        trap.run(122, [&] { Frame2.setCaption("Off."); });
        trap.run(124, [&] {
            WriteSetting(services_.settings, kMakerName, kProductName, keys::kStartStopState,
                         "Off");
        });
        StopMeasuringTrash();
    }
}

void Form1::stopSchedule() {
    PushButton4.setCaption("Turn On");
    Timer1.setInterval(0);
    Frame2.setCaption("Off.");
    StopMeasuringTrash();
}

}  // namespace tw
