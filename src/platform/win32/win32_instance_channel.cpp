#include "platform/win32/win32_instance_channel.h"

#include "platform/win32/win32_handler_gate.h"

namespace tw::win32_platform {

ShowRequests::~ShowRequests() {
    handlerGate().drop(this);
}

bool ShowRequests::handle(UINT message, WPARAM wParam) {
    if (!callbacks_.isRequest || !callbacks_.isRequest(message, wParam)) return false;
    if (callbacks_.show) handlerGate().run(this, callbacks_.show);
    return true;
}

}  // namespace tw::win32_platform
