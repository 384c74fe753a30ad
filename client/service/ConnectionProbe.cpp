#include "client/service/ConnectionProbe.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>

#include "client/shell/Configuration.h"
#include "platform/Text.h"

std::string ConnectivityProbeAddress() {
    const std::string address =
        platform::Trim(IniReadString(kSectionBizAgent, "NetProbeUrl", kDefaultProbeAddress));
    return address.empty() ? std::string(kDefaultProbeAddress) : address;
}

bool SplitProbeAddress(const std::string& address, std::string& host, int& port) {
    std::string rest = platform::Trim(address);
    port = 80;
    const std::size_t scheme = rest.find("://");
    if (scheme != std::string::npos) {
        std::string name = rest.substr(0, scheme);
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name == "https")
            port = 443;
        rest = rest.substr(scheme + 3);
    }
    rest = rest.substr(0, rest.find_first_of("/?#"));
    const std::size_t at = rest.rfind('@');
    if (at != std::string::npos)
        rest = rest.substr(at + 1);
    std::string portText;
    if (!rest.empty() && rest[0] == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string::npos)
            return false;
        host = rest.substr(1, close - 1);
        if (close + 1 < rest.size()) {
            if (rest[close + 1] != ':')
                return false;
            portText = rest.substr(close + 2);
        }
    } else {
        const std::size_t colon = rest.find(':');
        host = rest.substr(0, colon);
        if (colon != std::string::npos)
            portText = rest.substr(colon + 1);
    }
    if (!portText.empty()) {
        port = platform::StrToIntDef(portText, -1);
        if (port < 1 || port > 65535)
            return false;
    }
    return !host.empty();
}

namespace {

bool ConnectWithin(const addrinfo& ai, int timeoutMs) {
    const int fd =
        ::socket(ai.ai_family, ai.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai.ai_protocol);
    if (fd < 0)
        return false;
    bool connected = false;
    if (::connect(fd, ai.ai_addr, ai.ai_addrlen) == 0) {
        connected = true;
    } else if (errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        int rc;
        do {
            rc = ::poll(&p, 1, timeoutMs);
        } while (rc < 0 && errno == EINTR);
        if (rc == 1) {
            int error = 0;
            socklen_t length = sizeof error;
            connected = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
        }
    }
    ::close(fd);
    return connected;
}

}  // namespace

bool CanReachAddress(const std::string& address, int timeoutMs) {
    std::string host;
    int port = 0;
    if (!SplitProbeAddress(address, host, port))
        return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list) != 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool reached = false;
    for (addrinfo* ai = list; ai && !reached; ai = ai->ai_next) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            break;
        reached = ConnectWithin(*ai, static_cast<int>(left));
    }
    ::freeaddrinfo(list);
    return reached;
}
