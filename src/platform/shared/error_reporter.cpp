#include "platform/shared/error_reporter.h"

#include <cstdio>

namespace tw {

void reportToStderr(const std::string& description) {
    std::fprintf(stderr, "Tidewell: %s\n", description.c_str());
}

}  // namespace tw
