#pragma once

// The program's own icon (window and notification area), compiled into the program.

#include <QIcon>

namespace tw::qt_platform {

QIcon applicationIcon();

}  // namespace tw::qt_platform
