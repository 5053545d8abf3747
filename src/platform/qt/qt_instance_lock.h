#pragma once

// One running copy per user: a lock file in the user's runtime folder. The copy that holds it
// listens beside it for a second launch asking to see the window.

#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>

#include "platform/qt/qt_instance_channel.h"
#include "platform/services/instance.h"

namespace tw::qt_platform {

class QtInstanceLock : public InstanceLock {
  public:
    // `folder` empty: $XDG_RUNTIME_DIR, else Qt's runtime location.
    explicit QtInstanceLock(QString folder = {});
    ~QtInstanceLock() override;

    // Takes the lock, or tells that a live copy holds it and asks that copy to show its
    // window. A lock left behind by a copy that died is taken over.
    bool anotherCopyRunning() override;
    QString lockPath() const { return path_; }
    QString socketPath() const;

    // Runs in the copy that holds the lock when a second launch asks to see the window.
    std::function<void()> onShowRequest;

  private:
    void listenForShowRequests();

    QString path_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<ShowRequestServer> server_;
};

}  // namespace tw::qt_platform
