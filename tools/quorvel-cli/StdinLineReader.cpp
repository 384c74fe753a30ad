#include "StdinLineReader.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>

StdinLineReader::StdinLineReader(int fd, platform::TargetHandle target) : fd_(fd), target_(target) {
    if (pipe2(stopPipe_, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe2 failed");
    thread_ = std::thread([this] { Run(); });
}

StdinLineReader::~StdinLineReader() {
    const char stop = 1;
    while (write(stopPipe_[1], &stop, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
    close(stopPipe_[0]);
    close(stopPipe_[1]);
}

void StdinLineReader::Run() {
    std::string line;
    bool cut = false;
    char buf[4096];
    for (;;) {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            platform::PostMessageTo(target_, kMsgEndOfInput, 1);
            return;
        }
        if (fds[1].revents)
            return;
        if (!fds[0].revents)
            continue;
        const ssize_t n = read(fd_, buf, sizeof buf);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            if (!line.empty() || cut)
                platform::PostTextMessage(target_, kMsgLine, cut ? 1 : 0, line);
            platform::PostMessageTo(target_, kMsgEndOfInput, n < 0 ? 1 : 0);
            return;
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (buf[i] == '\n') {
                platform::PostTextMessage(target_, kMsgLine, cut ? 1 : 0, line);
                line.clear();
                cut = false;
            } else if (line.size() < kMaxLineLength) {
                line += buf[i];
            } else {
                cut = true;
            }
        }
    }
}
