#include "platform/qt/qt_event_pump.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

#include "platform/qt/qt_lifetime.h"

namespace tw::qt_platform {

bool QtEventPump::ended() const {
    return lifetime_ && lifetime_->ended();
}

void QtEventPump::processEvents() {
    if (ended()) return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::waitForEvents(double seconds) {
    if (!(seconds > 0) || ended()) return;
    constexpr double kLongestWait = 86400.0;
    const QDeadlineTimer deadline(static_cast<qint64>(std::min(seconds, kLongestWait) * 1000.0),
                                  Qt::PreciseTimer);
    // The timed processEvents() overload never sleeps; a timer at the deadline wakes the
    // blocking one instead.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    while (!ended()) {
        const qint64 left = deadline.remainingTimeNSecs();
        if (left <= 0) break;
        if (!wake.isActive()) wake.start(static_cast<int>((left + 999999) / 1000000));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

}  // namespace tw::qt_platform
