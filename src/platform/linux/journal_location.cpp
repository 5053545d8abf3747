#include "platform/linux/journal_location.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace tw::linux_platform {

namespace {

std::filesystem::path absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return {};
    return value;
}

std::filesystem::path homeFolder() {
    std::filesystem::path home = absoluteVariable("HOME");
    if (!home.empty()) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

}  // namespace

std::filesystem::path JournalLocation() {
    std::filesystem::path state = absoluteVariable("XDG_STATE_HOME");
    if (state.empty()) {
        const std::filesystem::path home = homeFolder();
        if (home.empty()) return {};
        state = home / ".local" / "state";
    }
    return state / "tidewell" / "journal.log";
}

}  // namespace tw::linux_platform
