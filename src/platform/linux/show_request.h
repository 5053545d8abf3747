#pragma once

// A second launch asks the running copy to show its window with one datagram on a Unix socket
// beside the instance lock. A datagram needs no connection, so the sender never waits for the
// running copy, even while that copy is busy emptying, and the listener needs no per-client
// state. Plain sockets: a desktop utility does not need a network library for this.

#include <string>

#include "platform/linux/unique_fd.h"

namespace tw::linux_platform {

class ShowRequestListener {
  public:
    // Binds at `path`, replacing a socket left by a copy that died (the caller holds the
    // instance lock, so no live copy owns it); anything else at the path is left alone. Only
    // the user can send to it. False, with the reason in `error`, when it can't be made.
    bool listen(const std::string& path, std::string& error);
    // Readable when requests wait; -1 before listen succeeds.
    int fd() const { return socket_.get(); }
    // Reads every waiting datagram without blocking; how many of them were show requests.
    int takeRequests();

  private:
    UniqueFd socket_;
};

// Sends the show request to the copy listening at `path`; false when none could be reached.
bool sendShowRequest(const std::string& path);

}  // namespace tw::linux_platform
