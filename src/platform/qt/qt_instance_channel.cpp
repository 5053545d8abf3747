#include "platform/qt/qt_instance_channel.h"

#include <QFile>
#include <cstdio>

namespace tw::qt_platform {

namespace {

// The path as the file system spells it (the locale's encoding, not always UTF-8).
std::string systemPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

bool ShowRequestServer::listen(const QString& path) {
    std::string error;
    if (!listener_.listen(systemPath(path), error)) {
        std::fprintf(stderr,
                     "Tidewell: can't listen at %s (%s); a second launch can't show the window.\n",
                     qPrintable(path), error.c_str());
        return false;
    }
    notifier_ = std::make_unique<QSocketNotifier>(listener_.fd(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        for (int n = listener_.takeRequests(); n > 0; --n) {
            if (onRequest) onRequest();
        }
    });
    return true;
}

bool askToShow(const QString& path) {
    return linux_platform::sendShowRequest(systemPath(path));
}

}  // namespace tw::qt_platform
