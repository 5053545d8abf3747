#include "platform/qt/qt_instance_lock.h"

#include <QDir>
#include <QStandardPaths>
#include <cstdio>

namespace tw::qt_platform {

namespace {

QString runtimeFolder() {
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty()) return xdg;
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

}  // namespace

QtInstanceLock::QtInstanceLock(QString folder)
    : path_(QDir(folder.isEmpty() ? runtimeFolder() : folder)
                .filePath(QStringLiteral("tidewell.lock"))) {}

QtInstanceLock::~QtInstanceLock() = default;

QString QtInstanceLock::socketPath() const {
    QString path = path_;
    path.chop(QStringLiteral(".lock").size());
    return path + QStringLiteral(".socket");
}

void QtInstanceLock::listenForShowRequests() {
    server_ = std::make_unique<ShowRequestServer>();
    server_->onRequest = [this] {
        if (onShowRequest) onShowRequest();
    };
    // Without the socket the program still runs; a second launch then only ends.
    server_->listen(socketPath());
}

bool QtInstanceLock::anotherCopyRunning() {
    if (lock_ && lock_->isLocked()) return false;
    lock_ = std::make_unique<QLockFile>(path_);
    // Never stale by age: a copy that runs for months keeps its lock. A lock whose process
    // is gone is still taken over (QLockFile checks the owner's process).
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        listenForShowRequests();
        return false;
    }
    if (lock_->error() == QLockFile::LockFailedError) {
        // A copy that can't be reached (still starting, or stuck) is left alone all the same.
        askToShow(socketPath());
        return true;
    }
    // The lock can't be made at all (no runtime folder, no permission): better to run
    // than to refuse to start.
    std::fprintf(stderr,
                 "Tidewell: can't create the lock file %s; not checking for another copy.\n",
                 qPrintable(path_));
    return false;
}

}  // namespace tw::qt_platform
