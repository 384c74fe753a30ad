// Addresses of a connection: the service's own host:port as the client reached it, and
// whether a peer is on this machine.
#pragma once

#include <string>

namespace demo {

// "host:port" for an address and port, with an IPv6 host in brackets.
std::string HostPort(const std::string& host, int port);

// True for 127.0.0.0/8, ::1 and IPv4-mapped loopback addresses.
bool IsLoopbackAddress(const std::string& address);

}  // namespace demo
