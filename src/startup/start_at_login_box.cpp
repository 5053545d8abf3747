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
    showStartAtLoginAsItIs(wanted, error);
    const bool starts = Check4.value() == 1;
    if (!starts) Check8.setValue(0);
    Check8.setVisible(starts);
}

bool Form1::startsAtLogin() {
    const auto program =
        services_.startAtLogin.registeredProgram(mStartUp::ExecutableName(services_.files));
    // An entry whose program can't be told may be the user's own: taken at its word.
    return program && (program->empty() || FileExists(*program));
}

void Form1::keepStartingAtLogin() {
    // The setting alone says nothing: an uninstaller may have removed the entry and kept the
    // settings, or the program was moved. An entry that starts this copy, or another copy
    // that is still there, stays as it is.
    if (startsAtLogin()) return;
    std::string error;
    if (mStartUp::EnableWindowsStartup(services_.files, services_.startAtLogin, error)) return;
    showStartAtLoginAsItIs(true, error);
}

void Form1::showStartAtLoginAsItIs(bool wanted, const std::string& error) {
    // The box must not claim what is not so: tell the user and show what really starts.
    services_.messageBox.show(
        std::string(wanted ? "Tidewell could not be set to start at login: "
                           : "Tidewell could not be removed from the programs started at login: ") +
            error,
        AppTitle, MsgButtons::Ok, MsgIcon::Warning);
    const bool starts = startsAtLogin();
    syncingStartup_ = true;
    Check4.setValue(starts ? 1 : 0);
    syncingStartup_ = false;
    write(keys::kWindowsStartup, starts ? "On" : "Off");
}

}  // namespace tw
