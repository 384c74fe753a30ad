#include "device/caubox/ControlServer.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "device/caubox/BoxLog.h"
#include "device/caubox/ControlLine.h"

namespace caubox {

namespace {

bool FillAddress(const std::string& path, sockaddr_un& address, std::string& error) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        error = "control socket path '" + path + "' is empty or longer than " +
                std::to_string(sizeof address.sun_path - 1) + " bytes";
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// True when a process accepts connections at the socket file.
bool SomeoneListens(const sockaddr_un& address) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

}  // namespace

ControlServer::~ControlServer() {
    Close();
}

bool ControlServer::Listen(const std::string& path, std::string& error) {
    Close();
    sockaddr_un address;
    if (!FillAddress(path, address, error)) {
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("cannot create the control socket: ") + std::strerror(errno);
        return false;
    }
    auto bindOnce = [&] {
        return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    };
    bool bound = bindOnce();
    if (!bound && errno == EADDRINUSE) {
        struct stat info;
        if (::lstat(path.c_str(), &info) == 0 && !S_ISSOCK(info.st_mode)) {
            error = "'" + path + "' exists and is not a socket";
        } else if (SomeoneListens(address)) {
            error = "another box already listens on '" + path + "'";
        } else {
            BoxLog(LogLevel::Warning, "replacing the stale control socket '" + path + "'");
            ::unlink(path.c_str());
            bound = bindOnce();
        }
    }
    if (!bound) {
        if (error.empty()) {
            error = "cannot bind the control socket '" + path + "': " + std::strerror(errno);
        }
        ::close(fd);
        return false;
    }
    ::chmod(path.c_str(), 0600);
    if (::listen(fd, 16) != 0) {
        error = "cannot listen on '" + path + "': " + std::strerror(errno);
        ::close(fd);
        ::unlink(path.c_str());
        return false;
    }
    struct stat info;
    if (::stat(path.c_str(), &info) == 0) {
        device_ = info.st_dev;
        inode_ = info.st_ino;
    }
    listenFd_ = fd;
    path_ = path;
    return true;
}

void ControlServer::Close() {
    for (Client& client : clients_) {
        ::close(client.fd);
    }
    clients_.clear();
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        // Another box may have replaced our file meanwhile: remove only our own.
        struct stat info;
        if (::stat(path_.c_str(), &info) == 0 && info.st_dev == device_ && info.st_ino == inode_) {
            ::unlink(path_.c_str());
        }
    }
}

void ControlServer::AppendPollFds(std::vector<pollfd>& fds) const {
    if (listenFd_ < 0) {
        return;
    }
    const bool acceptPaused = std::chrono::steady_clock::now() < acceptPausedUntil_;
    fds.push_back({listenFd_, static_cast<short>(acceptPaused ? 0 : POLLIN), 0});
    for (const Client& client : clients_) {
        const short events = client.output.empty() ? POLLIN : static_cast<short>(POLLIN | POLLOUT);
        fds.push_back({client.fd, events, 0});
    }
}

void ControlServer::Handle(const pollfd* fds, std::size_t count, const Handler& handler) {
    if (listenFd_ < 0 || count == 0) {
        return;
    }
    // Entries 1.. match the clients as they were when the array was built;
    // clients accepted below are appended after them.
    std::vector<bool> keep(clients_.size(), true);
    for (std::size_t i = 1; i < count && i - 1 < clients_.size(); ++i) {
        Client& client = clients_[i - 1];
        const short revents = fds[i].revents;
        if (revents == 0 || client.fd != fds[i].fd) {
            continue;
        }
        bool alive = true;
        if (revents & (POLLIN | POLLHUP | POLLERR)) {
            alive = Read(client, handler);
        }
        if (alive && !client.output.empty()) {
            alive = Flush(client);
        }
        keep[i - 1] = alive;
    }
    std::vector<Client> remaining;
    for (std::size_t i = 0; i < clients_.size(); ++i) {
        if (keep[i]) {
            remaining.push_back(std::move(clients_[i]));
        } else {
            ::close(clients_[i].fd);
        }
    }
    clients_ = std::move(remaining);
    if (fds[0].revents & POLLIN) {
        Accept();
    }
}

void ControlServer::Accept() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                acceptPausedUntil_ =
                    std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                BoxLog(LogLevel::Warning,
                       std::string("control socket accept: ") + std::strerror(errno));
            }
            return;
        }
        if (clients_.size() >= kMaxClients) {
            static const char kBusy[] = "ERR too many control connections\n";
            [[maybe_unused]] ssize_t ignored = ::send(fd, kBusy, sizeof kBusy - 1, MSG_NOSIGNAL);
            ::close(fd);
            BoxLog(LogLevel::Warning, "control connection refused: too many connections");
            continue;
        }
        Client client;
        client.fd = fd;
        clients_.push_back(std::move(client));
    }
}

bool ControlServer::Read(Client& client, const Handler& handler) {
    char buffer[4096];
    // One read per wake-up keeps one busy client from starving the others.
    const ssize_t n = ::recv(client.fd, buffer, sizeof buffer, 0);
    if (n == 0) {
        // Whatever follows the last line end is an unfinished command: dropped.
        return false;
    }
    if (n < 0) {
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
    client.input.append(buffer, static_cast<std::size_t>(n));
    TakeLines(client, handler);
    return client.output.size() <= kMaxPendingOutput;
}

void ControlServer::TakeLines(Client& client, const Handler& handler) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = client.input.find('\n', start);
        if (end == std::string::npos) {
            break;
        }
        std::string_view line(client.input.data() + start, end - start);
        start = end + 1;
        if (client.discardingLongLine) {
            client.discardingLongLine = false;
            continue;
        }
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.size() > kMaxControlLine) {
            Answer(client,
                   "ERR line too long (at most " + std::to_string(kMaxControlLine) + " bytes)");
            continue;
        }
        const std::string problem = CheckControlLine(line);
        if (!problem.empty()) {
            BoxLog(LogLevel::Warning, "control command refused: " + problem);
            Answer(client, "ERR " + problem);
            continue;
        }
        Answer(client, handler(line));
    }
    client.input.erase(0, start);
    // A line that outgrows the limit is answered at once and the rest of it,
    // up to its line end, thrown away unread.
    if (!client.discardingLongLine && client.input.size() > kMaxControlLine + 1) {
        Answer(client, "ERR line too long (at most " + std::to_string(kMaxControlLine) + " bytes)");
        BoxLog(LogLevel::Warning, "control command refused: line too long");
        client.discardingLongLine = true;
    }
    if (client.discardingLongLine) {
        client.input.clear();
    }
}

void ControlServer::Answer(Client& client, const std::string& answer) {
    client.output += answer;
    client.output += '\n';
}

bool ControlServer::Flush(Client& client) {
    while (!client.output.empty()) {
        const ssize_t n =
            ::send(client.fd, client.output.data(), client.output.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return client.output.size() <= kMaxPendingOutput;
            }
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        client.output.erase(0, static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace caubox
