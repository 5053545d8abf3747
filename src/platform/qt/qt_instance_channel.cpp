#include "platform/qt/qt_instance_channel.h"

#include <QLocalSocket>

namespace tw::qt_platform {

namespace {

const QByteArray kShowRequest = QByteArrayLiteral("show\n");
// Connecting and writing a few bytes to a live copy's socket never blocks for long, even
// while that copy is busy: the system queues both. A copy gone mid-way is not waited for.
constexpr int kTimeoutMs = 2000;

}  // namespace

ShowRequestServer::ShowRequestServer() {
    QObject::connect(&server_, &QLocalServer::newConnection, this, [this] { accept(); });
}

bool ShowRequestServer::listen(const QString& path) {
    QLocalServer::removeServer(path);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    return server_.listen(path);
}

void ShowRequestServer::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() == kShowRequest && onRequest) onRequest();
            }
        });
    }
}

bool askToShow(const QString& path) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kTimeoutMs)) return false;
    socket.write(kShowRequest);
    const bool sent = socket.waitForBytesWritten(kTimeoutMs);
    socket.disconnectFromServer();
    return sent;
}

}  // namespace tw::qt_platform
