#pragma once

// RegStuff: the start-at-login entry itself.

#include <string>

#include "platform/services/files.h"
#include "platform/services/start_at_login.h"

namespace tw::RegStuff {

// The entry's command: the program folder, one separator, then the program's file name.
std::string RunEntryData(const std::string& programFolder, const std::string& separator,
                         const std::string& name);
bool AddRunEntry(Files& files, StartAtLogin& startAtLogin, const std::string& name,
                 std::string& error);
bool RemoveRunEntry(StartAtLogin& startAtLogin, const std::string& name, std::string& error);

}  // namespace tw::RegStuff
