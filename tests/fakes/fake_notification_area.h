#pragma once

// A notification area that records every call with its record, for the tray tests.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/services/notification_area.h"
#include "tray/shell_record.h"

namespace tw::test {

struct ShellCall {
    std::uint32_t message = 0;
    ShellRecord record{};
    ShellRecordFields fields() const { return decodeShellRecord(record); }
};

class FakeNotificationArea : public NotificationArea {
  public:
    std::int32_t shellNotifyIcon(std::uint32_t message, const ShellRecord& record) override {
        calls.push_back({message, record});
        if (log) {
            static const char* const kNames[] = {"add", "modify", "delete"};
            log->push_back(std::string("shell ") + (message < 3 ? kNames[message] : "?"));
        }
        if (onCall) onCall(calls.back());
        return result;
    }
    bool isAvailable() const override { return available; }
    std::vector<std::uint32_t> messages() const {
        std::vector<std::uint32_t> out;
        for (const ShellCall& call : calls) out.push_back(call.message);
        return out;
    }

    std::vector<ShellCall> calls;
    std::vector<std::string>* log = nullptr;  // shared with other fakes to check the order
    std::function<void(const ShellCall&)> onCall;
    std::int32_t result = 1;
    bool available = true;
};

}  // namespace tw::test
