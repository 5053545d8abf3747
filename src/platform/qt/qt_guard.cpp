#include "platform/qt/qt_guard.h"

#include <cstdio>

namespace tw::qt_platform {

void reportToStderr(const std::string& description) {
    std::fprintf(stderr, "Tidewell: %s\n", description.c_str());
}

}  // namespace tw::qt_platform
