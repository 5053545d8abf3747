#include "app/error_box.h"

namespace tw {

ErrorTrap::ReportBox errorBox(MessageBox& box) {
    return [&box](const std::string& report) {
        box.show(report, "Application Error", MsgButtons::Ok, MsgIcon::Warning);
    };
}

}  // namespace tw
