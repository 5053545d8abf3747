#include "runtime/error_trap.h"

#include <new>

#include "runtime/errors.h"

namespace tw {

namespace {

// The build label that the report names as the source of an error, and where to send it.
constexpr const char* kErrorSource = "Tidewell2021/08/31";
constexpr const char* kSupportAddress = "support@quendra.com";

}  // namespace

std::string errorReportText(const std::string& description, const std::string& module,
                            const std::string& procedure, int line) {
    return description + "\r\nin " + kErrorSource + "." + module + "." + procedure + " at line " +
           std::to_string(line) + "\r\rPlease email screenshot of this message to " +
           kSupportAddress;
}

void ErrorTrap::report(int line, const std::exception& e) {
    const std::string description =
        dynamic_cast<const std::bad_alloc*>(&e) ? outOfMemoryError().what() : e.what();
    box_(errorReportText(description, module_, procedure_, line));
}

}  // namespace tw
