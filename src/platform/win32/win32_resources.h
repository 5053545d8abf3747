#pragma once

// Resource ids shared by tidewell.rc and the code that loads them.

// The blue 'Q' on light cyan: the window's icon and the tray's.
#define TIDEWELL_ICON_ID 1

#ifndef RC_INVOKED
namespace tw::win32_platform {
inline constexpr int kIconResourceId = TIDEWELL_ICON_ID;
}  // namespace tw::win32_platform
#endif
