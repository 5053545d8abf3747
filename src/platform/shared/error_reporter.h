#pragma once

// A host calls into the model from its event dispatch: an error that escapes a handler there
// is reported and the program carries on, instead of unwinding through the toolkit.

#include <exception>
#include <functional>
#include <string>

namespace tw {

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

}  // namespace tw
