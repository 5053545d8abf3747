#pragma once

// Model calls made from a window procedure must not let an exception unwind into the system's
// message dispatch.

#include <exception>
#include <functional>
#include <string>

namespace tw::win32_platform {

// Told about an error that escaped a handler; the program carries on.
using ErrorReporter = std::function<void(const std::string& description)>;

// Writes to the debugger output and stderr (a GUI program has no console of its own).
void reportToDebugger(const std::string& description);

template <class Call>
void guarded(const ErrorReporter& report, Call&& call) {
    try {
        call();
    } catch (const std::exception& e) {
        (report ? report : reportToDebugger)(e.what());
    } catch (...) {
        (report ? report : reportToDebugger)("Unknown error");
    }
}

}  // namespace tw::win32_platform
