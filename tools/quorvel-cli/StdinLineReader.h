// Reads standard input line by line on a thread of its own and hands each
// line to a message target; end of input is posted as well. Stopping wakes
// the thread even while it waits for input.
#pragma once

#include <thread>

#include "platform/MessageTarget.h"

class StdinLineReader {
  public:
    static constexpr unsigned kMsgLine =
        1;  // text: the line without its line end; wParam 1 when cut
    static constexpr unsigned kMsgEndOfInput = 2;  // wParam 0 at end of input, 1 on a read error

    StdinLineReader(int fd, platform::TargetHandle target);
    ~StdinLineReader();  // stops and joins
    StdinLineReader(const StdinLineReader&) = delete;
    StdinLineReader& operator=(const StdinLineReader&) = delete;

    // A line longer than this is cut there; the rest of it is dropped.
    static constexpr std::size_t kMaxLineLength = 64 * 1024;

  private:
    void Run();

    int fd_;
    platform::TargetHandle target_;
    int stopPipe_[2] = {-1, -1};
    std::thread thread_;
};
