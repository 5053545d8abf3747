#pragma once

// The Qt side of the show request (platform/linux/show_request.h): the running copy watches
// its socket in the event loop and runs the request on the user-interface thread.

#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <memory>

#include "platform/linux/show_request.h"

namespace tw::qt_platform {

class ShowRequestServer {
  public:
    // Listens at `path`; false, with a message on standard error, when it can't.
    bool listen(const QString& path);
    // Runs once per request.
    std::function<void()> onRequest;

  private:
    linux_platform::ShowRequestListener listener_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// Asks the copy listening at `path` to show its window; false when none could be reached.
bool askToShow(const QString& path);

}  // namespace tw::qt_platform
