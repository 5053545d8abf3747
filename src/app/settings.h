#pragma once

#include <string>

#include "platform/services/settings_store.h"

namespace tw {

// The settings keys, all in section "Tidewell" of application "Quendra".
namespace keys {
inline constexpr const char* kStartStopState = "StartStopState";
inline constexpr const char* kWindowsStartup = "Windows Startup";
inline constexpr const char* kMinimized = "Minimized";
inline constexpr const char* kOption1 = "Option1";
inline constexpr const char* kOption2 = "Option2";
inline constexpr const char* kOption3 = "Option3";
inline constexpr const char* kWeeklyTime = "Weekly Time";
inline constexpr const char* kWeekly = "Weekly";
inline constexpr const char* kText11 = "Text11";
inline constexpr const char* kText2 = "Text2";
inline constexpr const char* kText3 = "Text3";
inline constexpr const char* kKeepDays = "Keep Days";
inline constexpr const char* kMaxTrashGB = "Max Trash GB";
}  // namespace keys

std::string ReadSetting(SettingsStore& store, const std::string& application,
                        const std::string& section, const std::string& key,
                        const std::string& defaultValue);
void WriteSetting(SettingsStore& store, const std::string& application, const std::string& section,
                  const std::string& key, const std::string& value);

}  // namespace tw
