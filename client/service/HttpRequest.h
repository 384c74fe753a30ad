// The synchronous HTTP exchange of the service API.
#pragma once

#include <cstddef>
#include <string>

// Time limits of one exchange. A server that accepts the connection and then
// hangs cannot hold a worker for longer than totalMs.
struct THttpTimeouts {
    long connectMs = 10'000;
    long totalMs = 60'000;
};

// Largest answer body kept; a longer one fails the exchange.
inline constexpr std::size_t kMaxAnswerBytes = 16 * 1024 * 1024;

struct THttpResult {
    int code = -1;     // 1: a response came back; -1: failure
    std::string text;  // the body of a 200 answer, empty for other statuses; the failure text
    long status = 0;   // HTTP status when code is 1
};

// POSTs an empty body to the URL and waits for the answer. Never throws.
// Failure texts: "xmlHttp-Send异常:" + the transport's message when the
// exchange fails, the bare message when the request cannot be prepared.
THttpResult HttpRequest(const std::string& url, const THttpTimeouts& timeouts = {});

// True for the statuses after which a request is worth repeating: 5xx, 408, 429.
bool IsRetryableStatus(long status);

// Initialises libcurl once per process; every caller of libcurl here runs it first.
void EnsureCurlInitialised();
