// A connection to the box's control socket: sends a command line, reads its answer line.
#pragma once

#include <string>

namespace caubox {

class ControlClient {
  public:
    ControlClient() = default;
    ~ControlClient();
    ControlClient(const ControlClient&) = delete;
    ControlClient& operator=(const ControlClient&) = delete;

    bool Connect(const std::string& path, std::string& error);
    // Sends command (a line end is added) and waits up to timeoutMs for one answer line.
    bool Exchange(const std::string& command, std::string& answer, std::string& error,
                  int timeoutMs = 10000);

  private:
    bool SendAll(const std::string& data, std::string& error);
    bool ReadLine(std::string& line, std::string& error, int timeoutMs);

    int fd_ = -1;
    std::string pending_;
};

}  // namespace caubox
