#pragma once

// Model calls made from Qt's event dispatch must not let an exception unwind through Qt.

#include <exception>
#include <functional>
#include <string>

namespace tw::qt_platform {

// Told about an error that escaped a handler; the program carries on.
using ErrorReporter = std::function<void(const std::string& description)>;

// Prints to stderr; what a reporter falls back to.
void reportToStderr(const std::string& description);

template <class Call>
void guarded(const ErrorReporter& report, Call&& call) {
    try {
        call();
    } catch (const std::exception& e) {
        (report ? report : reportToStderr)(e.what());
    } catch (...) {
        (report ? report : reportToStderr)("Unknown error");
    }
}

}  // namespace tw::qt_platform
