#pragma once

// The error trap of the six trapped procedures: each numbered statement runs on its own; when
// one fails, the error-report box names it and the procedure goes on with the next statement.
// The trap is handed the box that shows its report, so the runtime rules need no window.

#include <functional>
#include <string>

namespace tw {

std::string errorReportText(const std::string& description, const std::string& module,
                            const std::string& procedure, int line);

class ErrorTrap {
  public:
    // Shows the report and returns once the user has closed it.
    using ReportBox = std::function<void(const std::string& report)>;

    ErrorTrap(ReportBox box, std::string module, std::string procedure)
        : box_(std::move(box)), module_(std::move(module)), procedure_(std::move(procedure)) {}

    // Runs statement `line`; returns false when it failed (after the report box was closed).
    template <class Statement>
    bool run(int line, Statement&& statement) {
        try {
            statement();
            return true;
        } catch (const std::exception& e) {
            report(line, e);
            return false;
        }
    }

    // The condition of an If statement. A test that fails enters the branch, as carrying on
    // with the next statement does.
    template <class Condition>
    bool test(int line, Condition&& condition) {
        bool result = true;
        run(line, [&] { result = condition(); });
        return result;
    }

  private:
    void report(int line, const std::exception& e);

    ReportBox box_;
    std::string module_;
    std::string procedure_;
};

}  // namespace tw
