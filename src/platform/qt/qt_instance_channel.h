#pragma once

// A second launch asks the running copy to show its window, through a local socket beside the
// instance lock (in the user's runtime folder, so no other user can reach it). The second copy
// only writes its request and goes: it never waits for the running copy to answer.

#include <QLocalServer>
#include <QString>
#include <functional>

namespace tw::qt_platform {

class ShowRequestServer : public QObject {
  public:
    ShowRequestServer();
    // Listens at `path`, replacing a socket left by a copy that died (the caller holds the
    // instance lock, so no live copy owns it). False when the socket can't be made.
    bool listen(const QString& path);
    // Runs on the user-interface thread, once per request.
    std::function<void()> onRequest;

  private:
    void accept();
    QLocalServer server_;
};

// Asks the copy listening at `path` to show its window; false when none could be reached.
bool askToShow(const QString& path);

}  // namespace tw::qt_platform
