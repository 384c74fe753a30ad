// A small HTTP/1.1 server on 127.0.0.1 for the service tests. It records
// every request exactly as received (request target, headers, body bytes)
// and answers as the test says: a status and body, a delay, a hang, a
// dropped connection or raw bytes.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace servicetest {

struct TReceivedRequest {
    std::string method;
    std::string target;                          // as in the request line
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;                            // empty when bodies are not kept
    std::uint64_t bodySize = 0;
    bool complete = false;  // the whole body announced by Content-Length arrived
};

struct TReply {
    TReply() = default;
    TReply(int status_, std::string body_) : status(status_), body(std::move(body_)) {}

    int status = 200;
    std::string body;
    int delayMs = 0;    // before answering
    bool hang = false;  // never answer (until the server stops)
    bool drop = false;  // close the connection without an answer
    std::string raw;    // when set, sent as it is instead of a formed answer
};

class TLoopbackHttpServer {
  public:
    // Listens on 127.0.0.1 at a free port (or the given one).
    explicit TLoopbackHttpServer(int port = 0);
    ~TLoopbackHttpServer();
    TLoopbackHttpServer(const TLoopbackHttpServer&) = delete;
    TLoopbackHttpServer& operator=(const TLoopbackHttpServer&) = delete;

    int port() const { return port_; }
    std::string host() const { return "127.0.0.1"; }

    // Decides the answer to each request; called on the connection's thread.
    void setResponder(std::function<TReply(const TReceivedRequest&)> responder);
    void setReply(TReply reply);
    // Large uploads: count the body bytes but do not keep them.
    void setKeepBodies(bool keep);
    // Read the request body this slowly (bytes per 10 ms); 0: at full speed.
    void setReadThrottle(std::size_t bytesPer10ms);

    std::vector<TReceivedRequest> requests() const;
    std::size_t requestCount() const;
    // Waits until at least n requests have been received.
    bool waitForRequests(std::size_t n, int timeoutMs) const;

    // Stops listening and ends every connection.
    void stop();

  private:
    void acceptLoop();
    void serve(int fd);

    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptThread_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::function<TReply(const TReceivedRequest&)> responder_;
    bool keepBodies_ = true;
    std::size_t throttle_ = 0;
    std::vector<TReceivedRequest> requests_;
    std::vector<std::thread> connections_;
    std::vector<int> openFds_;
};

// A port on 127.0.0.1 with nothing listening on it.
inline int ClosedPort() {
    TLoopbackHttpServer probe;
    const int port = probe.port();
    probe.stop();
    return port;
}

// The value of `key` in a request target's query, percent-decoded; empty when absent.
std::string QueryValue(const std::string& target, const std::string& key);
// The keys of a request target's query, in order.
std::vector<std::string> QueryKeys(const std::string& target);

}  // namespace servicetest
