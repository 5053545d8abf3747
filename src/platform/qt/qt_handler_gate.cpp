#include "platform/qt/qt_handler_gate.h"

#include <QCoreApplication>
#include <QPointer>
#include <utility>

#include "platform/shared/handler_gate.h"

namespace tw::qt_platform {

namespace {

HandlerGate& gate() {
    static HandlerGate instance([] {
        if (QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [] { gate().drain(); }, Qt::QueuedConnection);
        }
    });
    return instance;
}

}  // namespace

HandlerHold::HandlerHold() {
    gate().hold();
}

HandlerHold::~HandlerHold() {
    gate().release();
}

bool handlersHeld() {
    return gate().held();
}

void runHandler(QObject* context, std::function<void()> call) {
    // A call whose context has been destroyed while it waited is dropped.
    gate().run(context, [guard = QPointer<QObject>(context), call = std::move(call)] {
        if (guard) call();
    });
}

}  // namespace tw::qt_platform
