#include "platform/qt/qt_handler_gate.h"

#include <QCoreApplication>
#include <QPointer>
#include <deque>
#include <exception>
#include <utility>

#include "platform/error_reporter.h"

namespace tw::qt_platform {

namespace {

struct Waiting {
    QPointer<QObject> context;
    std::function<void()> call;
};

// User-interface thread only, like the handlers themselves.
struct Gate {
    int holds = 0;
    bool drainPosted = false;
    std::deque<Waiting> waiting;
};

Gate& gate() {
    static Gate instance;
    return instance;
}

void drain();

void postDrain() {
    Gate& g = gate();
    if (g.drainPosted || g.waiting.empty() || !QCoreApplication::instance()) return;
    g.drainPosted = true;
    QMetaObject::invokeMethod(QCoreApplication::instance(), drain, Qt::QueuedConnection);
}

void drain() {
    Gate& g = gate();
    g.drainPosted = false;
    // A held call may start another empty; the rest then wait for that one too.
    while (!g.waiting.empty() && g.holds == 0) {
        Waiting next = std::move(g.waiting.front());
        g.waiting.pop_front();
        if (next.context) guarded({}, next.call);
    }
}

}  // namespace

HandlerHold::HandlerHold() {
    ++gate().holds;
}

HandlerHold::~HandlerHold() {
    if (--gate().holds == 0) postDrain();
}

bool handlersHeld() {
    return gate().holds > 0;
}

void runHandler(QObject* context, std::function<void()> call) {
    Gate& g = gate();
    if (g.holds == 0 && g.waiting.empty()) {
        call();
        return;
    }
    g.waiting.push_back({context, std::move(call)});
    if (g.holds == 0) postDrain();
}

}  // namespace tw::qt_platform
