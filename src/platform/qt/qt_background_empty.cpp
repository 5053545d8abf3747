#include "platform/qt/qt_background_empty.h"

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
