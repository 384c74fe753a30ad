#include "tools/demo-service/src/ConnectionDrop.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>

namespace demo {

namespace {

bool AddressOf(const sockaddr_storage& sa, std::string& host, int& port) {
    char text[INET6_ADDRSTRLEN] = {};
    if (sa.ss_family == AF_INET) {
        const auto& in = reinterpret_cast<const sockaddr_in&>(sa);
        inet_ntop(AF_INET, &in.sin_addr, text, sizeof text);
        port = ntohs(in.sin_port);
    } else if (sa.ss_family == AF_INET6) {
        const auto& in6 = reinterpret_cast<const sockaddr_in6&>(sa);
        inet_ntop(AF_INET6, &in6.sin6_addr, text, sizeof text);
        port = ntohs(in6.sin6_port);
    } else {
        return false;
    }
    host = text;
    return true;
}

}  // namespace

bool DropConnection(const std::string& remoteAddr, int remotePort, int localPort) {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return false;
    bool dropped = false;
    while (const dirent* entry = readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == dirfd(dir))
            continue;
        sockaddr_storage peer{}, local{};
        socklen_t peerLength = sizeof peer, localLength = sizeof local;
        const int sock = static_cast<int>(fd);
        if (getpeername(sock, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0)
            continue;
        if (getsockname(sock, reinterpret_cast<sockaddr*>(&local), &localLength) != 0)
            continue;
        std::string peerHost, localHost;
        int peerPort = 0, ownPort = 0;
        if (!AddressOf(peer, peerHost, peerPort) || !AddressOf(local, localHost, ownPort))
            continue;
        if (peerHost != remoteAddr || peerPort != remotePort || ownPort != localPort)
            continue;
        // A zero linger makes the final close reset the connection rather than linger.
        linger noLinger{1, 0};
        setsockopt(sock, SOL_SOCKET, SO_LINGER, &noLinger, sizeof noLinger);
        shutdown(sock, SHUT_RDWR);
        dropped = true;
        break;
    }
    closedir(dir);
    return dropped;
}

}  // namespace demo
