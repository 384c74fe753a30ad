// Drives the virtual box through its control socket: one command line, one answer line.
#pragma once

#include <string>

namespace pendrel_test {

class BoxControl {
  public:
    explicit BoxControl(std::string socketPath) : path_(std::move(socketPath)) {}
    ~BoxControl();
    BoxControl(const BoxControl&) = delete;
    BoxControl& operator=(const BoxControl&) = delete;

    // The box's answer ("OK ..." or "ERR ..."), or "NO ANSWER: <reason>".
    std::string send(const std::string& command);

  private:
    bool connect(std::string& error);
    std::string exchange(const std::string& command);
    void reset();

    std::string path_;
    int fd_ = -1;
    std::string pending_;
};

}  // namespace pendrel_test
