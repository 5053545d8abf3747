#pragma once

// One running copy per user: a lock file in the user's runtime folder.

#include <QLockFile>
#include <QString>
#include <memory>

#include "platform/instance.h"

namespace tw::qt_platform {

class QtInstanceLock : public InstanceLock {
  public:
    // `folder` empty: $XDG_RUNTIME_DIR, else Qt's runtime location.
    explicit QtInstanceLock(QString folder = {});
    ~QtInstanceLock() override;

    // Takes the lock, or tells that a live copy holds it. A lock left behind by a copy that
    // died is taken over.
    bool anotherCopyRunning() override;
    QString lockPath() const { return path_; }

  private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace tw::qt_platform
