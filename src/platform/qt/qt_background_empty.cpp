#include "platform/qt/qt_background_empty.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/qt/qt_handler_gate.h"

namespace tw::qt_platform {

namespace {

// Holds the handlers and serves the window while `run` goes on on a worker thread; returns
// once it has ended, with its exception if it threw.
void runAway(const std::function<void()>& run) {
    std::exception_ptr failure;
    const HandlerHold hold;
    const std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            run();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    // Queued to this thread: a worker that is done before the loop runs still ends it.
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    // Paints, expose and the window manager's pings go on; the user's input waits in Qt's
    // queue. The loop also ends early when the application is told to quit; the empty is
    // waited for all the same, since its result and the files' state must be known.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace

BackgroundEmptyShell::BackgroundEmptyShell(RecycleBinShell& shell)
    : ForwardingRecycleBinShell(shell), receiver_(std::make_unique<QObject>()) {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QObject::connect(app, &QCoreApplication::aboutToQuit, receiver_.get(),
                         [this] { loopEnded_ = true; });
    }
}

BackgroundEmptyShell::~BackgroundEmptyShell() {
    if (measurer_.joinable()) measurer_.join();
}

void BackgroundEmptyShell::measureBinsLater(std::int64_t keepSeconds,
                                            std::function<void(const TrashMeasure&)> done) {
    // The caller asks for one measure at a time: the one before has handed over its result.
    if (measurer_.joinable()) measurer_.join();
    QObject* receiver = receiver_.get();
    measurer_ = std::thread([this, receiver, keepSeconds, done = std::move(done)]() mutable {
        TrashMeasure measure;
        try {
            measure = shell_.measureBins(keepSeconds);
        } catch (const std::exception& failure) {
            measure = {};
            measure.error = failure.what();
        }
        // Queued to the receiver's thread; from there it waits its turn at the gate.
        QMetaObject::invokeMethod(
            receiver,
            [this, receiver, done = std::move(done), measure = std::move(measure)]() mutable {
                runHandler(receiver, [this, done = std::move(done), measure = std::move(measure)] {
                    if (!loopEnded_) done(measure);
                });
            },
            Qt::QueuedConnection);
    });
}

std::int32_t BackgroundEmptyShell::emptyRecycleBin(WindowHandle owner, const char* rootPath,
                                                   std::uint32_t flags, const EmptyOrder& order,
                                                   EmptyReport& report) {
    const std::optional<std::string> root =
        rootPath ? std::optional<std::string>(rootPath) : std::nullopt;
    std::int32_t result = kShellFail;
    runAway([&] {
        result =
            shell_.emptyRecycleBin(owner, root ? root->c_str() : nullptr, flags, order, report);
    });
    return result;
}

void BackgroundEmptyShell::walkDrives(const std::function<void(RecycleBinShell&)>& walk) {
    runAway([&] { walk(shell_); });
}

}  // namespace tw::qt_platform
