#include "startup/reg_stuff.h"

namespace tw::RegStuff {

std::string RunEntryData(const std::string& programFolder, const std::string& separator,
                         const std::string& name) {
    std::string data = programFolder;
    if (data.size() < separator.size() ||
        data.compare(data.size() - separator.size(), separator.size(), separator) != 0) {
        data += separator;
    }
    return data + name;
}

bool AddRunEntry(Files& files, StartAtLogin& startAtLogin, const std::string& name,
                 std::string& error) {
    return startAtLogin.add(name, RunEntryData(files.programFolder(), files.separator(), name),
                            error);
}

bool RemoveRunEntry(StartAtLogin& startAtLogin, const std::string& name, std::string& error) {
    return startAtLogin.remove(name, error);
}

}  // namespace tw::RegStuff
