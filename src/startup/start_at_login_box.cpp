// "Load this software on Windows startup": the start-at-login entry and its setting.

#include "app/form1.h"
#include "app/settings.h"
#include "startup/m_start_up.h"

namespace tw {

void Form1::Check4_Click() {
    if (Loading || syncingStartup_) return;
    const bool wanted = Check4.value() == 1;
    if (wanted) {
        Check8.setVisible(true);
        write(keys::kWindowsStartup, "On");
    } else {
        Check8.setValue(0);
        Check8.setVisible(false);
        write(keys::kWindowsStartup, "Off");
    }
    std::string error;
    const bool done =
        wanted ? mStartUp::EnableWindowsStartup(services_.files, services_.startAtLogin, error)
               : mStartUp::DisableWindowsStartup(services_.files, services_.startAtLogin, error);
    if (done) return;

    // The box must not claim what is not so: tell the user and show what is really registered.
    services_.messageBox.show(
        std::string(wanted ? "Tidewell could not be set to start at login: "
                           : "Tidewell could not be removed from the programs started at login: ") +
            error,
        AppTitle, MsgButtons::Ok, MsgIcon::Warning);
    const bool registered =
        services_.startAtLogin.isRegistered(mStartUp::ExecutableName(services_.files));
    syncingStartup_ = true;
    Check4.setValue(registered ? 1 : 0);
    syncingStartup_ = false;
    write(keys::kWindowsStartup, registered ? "On" : "Off");
    if (!registered) Check8.setValue(0);
    Check8.setVisible(registered);
}

}  // namespace tw
