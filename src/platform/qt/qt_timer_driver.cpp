#include "platform/qt/qt_timer_driver.h"

#include "platform/qt/qt_handler_gate.h"

namespace tw::qt_platform {

TimerDriver::TimerDriver(controls::Timer& timer, ErrorReporter report, Now now)
    : timer_(timer), report_(std::move(report)), now_(std::move(now)) {
    if (!now_) now_ = [] { return std::chrono::steady_clock::now(); };
    qtimer_.setSingleShot(true);
    qtimer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&qtimer_, &QTimer::timeout, [this] { fire(); });
    sync();
}

void TimerDriver::sync() {
    const auto wait = schedule_.follow(timer_, now_);
    if (!wait) {
        qtimer_.stop();
        return;
    }
    qtimer_.start(static_cast<int>(wait->count()));
}

void TimerDriver::fire() {
    if (!schedule_.due(timer_)) return;
    // A tick waits, as every handler does, while an empty holds them.
    if (handlersHeld()) {
        runHandler(&qtimer_, [this] { fire(); });
        return;
    }
    schedule_.tick(timer_, report_, now_());
    sync();
}

}  // namespace tw::qt_platform
