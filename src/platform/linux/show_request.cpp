#include "platform/linux/show_request.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace tw::linux_platform {

namespace {

constexpr std::string_view kShowRequest = "show\n";

bool socketAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

UniqueFd datagramSocket() {
    return UniqueFd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
}

}  // namespace

bool ShowRequestListener::listen(const std::string& path, std::string& error) {
    sockaddr_un address;
    if (!socketAddress(path, address)) {
        error = "the path is too long for a socket";
        return false;
    }
    UniqueFd socket = datagramSocket();
    if (!socket) {
        error = std::strerror(errno);
        return false;
    }
    // Only a socket is replaced: a file the user put there under that name stays.
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) ::unlink(path.c_str());
    // The socket file takes its mode at bind time; make it the user's alone from the start.
    // fchmod on an unbound socket sets the mode bind gives the file.
    if (::fchmod(socket.get(), 0600) != 0 ||
        ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = std::strerror(errno);
        return false;
    }
    socket_ = std::move(socket);
    return true;
}

int ShowRequestListener::takeRequests() {
    int requests = 0;
    char buffer[64];
    for (;;) {
        const ssize_t got = ::recv(socket_.get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        if (std::string_view(buffer, static_cast<std::size_t>(got)) == kShowRequest) ++requests;
    }
    return requests;
}

bool sendShowRequest(const std::string& path) {
    sockaddr_un address;
    if (!socketAddress(path, address)) return false;
    const UniqueFd socket = datagramSocket();
    if (!socket) return false;
    // Non-blocking: a copy whose queue is full has requests waiting already.
    const ssize_t sent =
        ::sendto(socket.get(), kShowRequest.data(), kShowRequest.size(), MSG_NOSIGNAL,
                 reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return sent == static_cast<ssize_t>(kShowRequest.size()) || (sent < 0 && errno == EAGAIN);
}

}  // namespace tw::linux_platform
