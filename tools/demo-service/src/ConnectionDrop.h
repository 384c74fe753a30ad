// Dropping the connection a request came in on, without an answer. The HTTP library does not
// hand its socket to request handlers, so the socket is found by its two addresses.
#pragma once

#include <string>

namespace demo {

// Shuts down the connected socket of this process whose peer is remoteAddr:remotePort and
// whose local port is localPort. The peer sees the connection closed. Returns whether such a
// socket was found.
bool DropConnection(const std::string& remoteAddr, int remotePort, int localPort);

}  // namespace demo
