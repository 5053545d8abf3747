#pragma once

// mStartUp: registers the running program to start at login, or removes it.

#include <string>

#include "platform/services/files.h"
#include "platform/services/start_at_login.h"

namespace tw::mStartUp {

// The name the entry is kept under: the running program's own file name.
std::string ExecutableName(Files& files);
// Both return false with `error` set when the entry could not be written or removed.
bool EnableWindowsStartup(Files& files, StartAtLogin& startAtLogin, std::string& error);
bool DisableWindowsStartup(Files& files, StartAtLogin& startAtLogin, std::string& error);

}  // namespace tw::mStartUp
