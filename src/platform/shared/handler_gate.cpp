#include "platform/shared/handler_gate.h"

#include <algorithm>
#include <utility>

#include "platform/shared/error_reporter.h"

namespace tw {

void HandlerGate::release() {
    if (--holds_ == 0) postOnce();
}

void HandlerGate::postOnce() {
    if (posted_ || waiting_.empty() || !post_) return;
    posted_ = true;
    post_();
}

void HandlerGate::run(const void* owner, std::function<void()> call) {
    if (holds_ == 0 && waiting_.empty()) {
        call();
        return;
    }
    waiting_.push_back({owner, std::move(call)});
    if (holds_ == 0) postOnce();
}

void HandlerGate::drop(const void* owner) {
    std::erase_if(waiting_, [owner](const Waiting& w) { return w.owner == owner; });
}

void HandlerGate::drain() {
    posted_ = false;
    while (!waiting_.empty() && holds_ == 0) {
        Waiting next = std::move(waiting_.front());
        waiting_.pop_front();
        guarded({}, next.call);
    }
}

}  // namespace tw
