#include "platform/linux/remove_log.h"

#include <system_error>

namespace tw::linux_platform {

void RemoveLog::failure(std::string_view path, int error) {
    std::string line = "cannot remove '";
    line.append(printable(path)).append("': ").append(std::system_category().message(error));
    if (++failures_ <= kMaxLines) failureLines_.push_back(line);
    add(std::move(line));
}

void RemoveLog::note(std::string_view path, std::string_view what) {
    std::string line = "'";
    line.append(printable(path)).append("': ").append(what);
    add(std::move(line));
}

void RemoveLog::add(std::string line) {
    if (++count_ <= kMaxLines) lines_.push_back(std::move(line));
}

}  // namespace tw::linux_platform
