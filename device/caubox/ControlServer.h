// The box's control socket: a Unix domain stream socket that takes one
// command a line and answers each with one line. It runs inside the box's
// own poll loop, so commands execute on the box's thread.
#pragma once

#include <poll.h>
#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace caubox {

class ControlServer {
  public:
    // Takes one checked command line (no line end), gives its answer (no line end).
    using Handler = std::function<std::string(std::string_view line)>;

    static constexpr std::size_t kMaxClients = 32;
    // A client that leaves more than this unread is dropped.
    static constexpr std::size_t kMaxPendingOutput = 64 * 1024;

    ControlServer() = default;
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Binds and listens at path. A socket file left by a process that is gone
    // is replaced; one where a box still answers, or a file that is not a
    // socket, is left alone and Listen fails.
    bool Listen(const std::string& path, std::string& error);
    // Closes every connection and removes the socket file if it is still ours.
    void Close();

    // Appends the descriptors to poll; Handle must get the same entries back.
    void AppendPollFds(std::vector<pollfd>& fds) const;
    void Handle(const pollfd* fds, std::size_t count, const Handler& handler);

  private:
    struct Client {
        int fd = -1;
        std::string input;
        std::string output;
        bool discardingLongLine = false;
    };

    void Accept();
    // False when the client is to be dropped.
    bool Read(Client& client, const Handler& handler);
    bool Flush(Client& client);
    void TakeLines(Client& client, const Handler& handler);
    void Answer(Client& client, const std::string& answer);

    int listenFd_ = -1;
    // Out of descriptors: the listening socket stays readable, so it is left
    // out of the poll for a moment instead of spinning.
    std::chrono::steady_clock::time_point acceptPausedUntil_{};
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::vector<Client> clients_;
};

}  // namespace caubox
