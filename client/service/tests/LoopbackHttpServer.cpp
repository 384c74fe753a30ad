#include "client/service/tests/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <stdexcept>

#include "client/service/ApiSignature.h"

namespace servicetest {

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool SendAll(int fd, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

const char* ReasonOf(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 404:
            return "Not Found";
        case 408:
            return "Request Timeout";
        case 429:
            return "Too Many Requests";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

}  // namespace

TLoopbackHttpServer::TLoopbackHttpServer(int port) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 64) != 0) {
        ::close(listenFd_);
        throw std::runtime_error("loopback server: cannot listen");
    }
    socklen_t length = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &length);
    port_ = ntohs(addr.sin_port);
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

TLoopbackHttpServer::~TLoopbackHttpServer() {
    stop();
}

void TLoopbackHttpServer::stop() {
    if (stopping_.exchange(true))
        return;
    ::shutdown(listenFd_, SHUT_RDWR);
    if (acceptThread_.joinable())
        acceptThread_.join();
    ::close(listenFd_);
    std::vector<std::thread> connections;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (int fd : openFds_)
            ::shutdown(fd, SHUT_RDWR);
        connections.swap(connections_);
    }
    changed_.notify_all();
    for (auto& t : connections)
        t.join();
}

void TLoopbackHttpServer::setResponder(std::function<TReply(const TReceivedRequest&)> responder) {
    std::lock_guard<std::mutex> lock(mutex_);
    responder_ = std::move(responder);
}

void TLoopbackHttpServer::setReply(TReply reply) {
    setResponder([reply](const TReceivedRequest&) { return reply; });
}

void TLoopbackHttpServer::setKeepBodies(bool keep) {
    std::lock_guard<std::mutex> lock(mutex_);
    keepBodies_ = keep;
}

void TLoopbackHttpServer::setReadThrottle(std::size_t bytesPer10ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    throttle_ = bytesPer10ms;
}

std::vector<TReceivedRequest> TLoopbackHttpServer::requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::size_t TLoopbackHttpServer::requestCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_.size();
}

bool TLoopbackHttpServer::waitForRequests(std::size_t n, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return requests_.size() >= n; });
}

void TLoopbackHttpServer::acceptLoop() {
    while (!stopping_) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) {
            ::close(fd);
            return;
        }
        openFds_.push_back(fd);
        connections_.emplace_back([this, fd] { serve(fd); });
    }
}

void TLoopbackHttpServer::serve(int fd) {
    auto finish = [&] {
        std::lock_guard<std::mutex> lock(mutex_);
        openFds_.erase(std::remove(openFds_.begin(), openFds_.end(), fd), openFds_.end());
        ::close(fd);
    };
    std::string data;
    char buffer[65536];
    std::size_t headEnd = std::string::npos;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return finish();
        data.append(buffer, static_cast<std::size_t>(n));
    }
    TReceivedRequest request;
    const std::string head = data.substr(0, headEnd);
    std::size_t lineEnd = head.find("\r\n");
    const std::string requestLine = head.substr(0, lineEnd);
    const std::size_t sp1 = requestLine.find(' ');
    const std::size_t sp2 = requestLine.rfind(' ');
    request.method = requestLine.substr(0, sp1);
    request.target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
    while (lineEnd != std::string::npos) {
        const std::size_t next = head.find("\r\n", lineEnd + 2);
        const std::string line = head.substr(lineEnd + 2, next - lineEnd - 2);
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            request.headers[Lower(line.substr(0, colon))] = value;
        }
        lineEnd = next;
    }
    bool keep = true;
    std::size_t throttle = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        keep = keepBodies_;
        throttle = throttle_;
    }
    const auto length = request.headers.count("content-length")
                            ? std::stoull(request.headers["content-length"])
                            : 0ull;
    std::string body = data.substr(headEnd + 4);
    request.bodySize = body.size();
    if (keep)
        request.body = body;
    while (request.bodySize < length) {
        const std::size_t want = throttle ? std::min(throttle, sizeof buffer) : sizeof buffer;
        const ssize_t n = ::recv(fd, buffer, want, 0);
        if (n <= 0)
            break;
        request.bodySize += static_cast<std::uint64_t>(n);
        if (keep)
            request.body.append(buffer, static_cast<std::size_t>(n));
        if (throttle)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    request.complete = request.bodySize >= length;
    std::function<TReply(const TReceivedRequest&)> responder;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        responder = responder_;
    }
    TReply reply = responder ? responder(request) : TReply{};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(std::move(request));
    }
    changed_.notify_all();
    if (reply.hang) {
        pollfd p{fd, POLLIN, 0};
        while (!stopping_) {
            if (::poll(&p, 1, 50) > 0) {
                if (::recv(fd, buffer, sizeof buffer, 0) <= 0)
                    break;  // the client gave up
            }
        }
        return finish();
    }
    if (reply.delayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
    if (reply.drop)
        return finish();
    if (!reply.raw.empty()) {
        SendAll(fd, reply.raw);
        return finish();
    }
    SendAll(fd, "HTTP/1.1 " + std::to_string(reply.status) + " " + ReasonOf(reply.status) +
                    "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                    std::to_string(reply.body.size()) + "\r\nConnection: close\r\n\r\n" +
                    reply.body);
    ::shutdown(fd, SHUT_WR);
    finish();
}

std::vector<std::string> QueryKeys(const std::string& target) {
    std::vector<std::string> keys;
    const std::size_t q = target.find('?');
    if (q == std::string::npos)
        return keys;
    std::size_t at = q + 1;
    while (at <= target.size()) {
        std::size_t amp = target.find('&', at);
        if (amp == std::string::npos)
            amp = target.size();
        const std::string pair = target.substr(at, amp - at);
        keys.push_back(pair.substr(0, pair.find('=')));
        at = amp + 1;
    }
    return keys;
}

std::string QueryValue(const std::string& target, const std::string& key) {
    const std::size_t q = target.find('?');
    if (q == std::string::npos)
        return std::string();
    std::size_t at = q + 1;
    while (at <= target.size()) {
        std::size_t amp = target.find('&', at);
        if (amp == std::string::npos)
            amp = target.size();
        const std::string pair = target.substr(at, amp - at);
        const std::size_t eq = pair.find('=');
        if (pair.substr(0, eq) == key) {
            std::string decoded;
            PercentDecode(eq == std::string::npos ? "" : pair.substr(eq + 1), decoded);
            return decoded;
        }
        at = amp + 1;
    }
    return std::string();
}

}  // namespace servicetest
