#pragma once

namespace tw {

class InstanceLock {
  public:
    virtual ~InstanceLock() = default;
    // True when another copy of the program already runs for this user. Otherwise this copy
    // takes the lock and keeps it until it ends; a lock left by a crashed copy does not count.
    virtual bool anotherCopyRunning() = 0;
};

}  // namespace tw
