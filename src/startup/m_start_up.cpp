#include "startup/m_start_up.h"

#include "startup/reg_stuff.h"

namespace tw::mStartUp {

std::string ExecutableName(Files& files) {
    // The running program's own executable, never whichever program shares its folder.
    const std::string path = files.ownExecutablePath();
    const std::size_t slash = path.find_last_of(files.separator());
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool EnableWindowsStartup(Files& files, StartAtLogin& startAtLogin, std::string& error) {
    const std::string name = ExecutableName(files);
    if (name.empty()) {
        error = "the program's own file could not be found";
        return false;
    }
    return RegStuff::AddRunEntry(files, startAtLogin, name, error);
}

bool DisableWindowsStartup(Files& files, StartAtLogin& startAtLogin, std::string& error) {
    const std::string name = ExecutableName(files);
    if (name.empty()) return true;  // nothing can have been registered under no name
    return RegStuff::RemoveRunEntry(startAtLogin, name, error);
}

}  // namespace tw::mStartUp
