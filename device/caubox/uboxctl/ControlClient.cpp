#include "device/caubox/uboxctl/ControlClient.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace caubox {

ControlClient::~ControlClient() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool ControlClient::Connect(const std::string& path, std::string& error) {
    sockaddr_un address;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        error = "control socket path '" + path + "' is empty or too long";
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = "no box listens on '" + path + "': " + std::strerror(errno);
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

bool ControlClient::Exchange(const std::string& command, std::string& answer, std::string& error,
                             int timeoutMs) {
    if (fd_ < 0) {
        error = "not connected";
        return false;
    }
    if (SendAll(command + "\n", error)) {
        return ReadLine(answer, error, timeoutMs);
    }
    // A box that turned the connection away has said why before closing it.
    std::string ignored;
    return ReadLine(answer, ignored, 0);
}

bool ControlClient::SendAll(const std::string& data, std::string& error) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = std::string("the box closed the connection: ") + std::strerror(errno);
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

bool ControlClient::ReadLine(std::string& line, std::string& error, int timeoutMs) {
    for (;;) {
        const std::size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return true;
        }
        pollfd fd{fd_, POLLIN, 0};
        const int ready = ::poll(&fd, 1, timeoutMs);
        if (ready == 0) {
            error = "no answer from the box within " + std::to_string(timeoutMs / 1000) + " s";
            return false;
        }
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = std::string("poll: ") + std::strerror(errno);
            return false;
        }
        char buffer[4096];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            error = "the box closed the connection";
            return false;
        }
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace caubox
