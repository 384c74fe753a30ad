#include "device/adapter/tests/BoxControl.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pendrel_test {

BoxControl::~BoxControl() {
    reset();
}

bool BoxControl::connect(std::string& error) {
    if (fd_ >= 0) {
        return true;
    }
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path_.size() >= sizeof addr.sun_path) {
        error = "socket path too long";
        return false;
    }
    std::memcpy(addr.sun_path, path_.c_str(), path_.size() + 1);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        error = std::strerror(errno);
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        return false;
    }
    return true;
}

std::string BoxControl::send(const std::string& command) {
    std::string answer = exchange(command);
    if (answer.starts_with("NO ANSWER")) {
        // The box may have been closed and opened again since: a new socket.
        reset();
        answer = exchange(command);
    }
    return answer;
}

void BoxControl::reset() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    pending_.clear();
}

std::string BoxControl::exchange(const std::string& command) {
    std::string error;
    if (!connect(error)) {
        return "NO ANSWER: " + error;
    }
    const std::string line = command + "\n";
    std::size_t sent = 0;
    while (sent < line.size()) {
        const ssize_t n = ::send(fd_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return "NO ANSWER: send failed";
        }
        sent += static_cast<std::size_t>(n);
    }
    for (;;) {
        const std::size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string answer = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return answer;
        }
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) {
            return "NO ANSWER: timeout";
        }
        char buf[512];
        const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        if (n <= 0) {
            return "NO ANSWER: connection closed";
        }
        pending_.append(buf, static_cast<std::size_t>(n));
    }
}

}  // namespace pendrel_test
