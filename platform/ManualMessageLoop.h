// A message loop that runs only when asked: the user-interface thread of
// headless tests and of the command-line tool.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/MessageTarget.h"

namespace platform {

class ManualMessageLoop : public MessageLoop {
  public:
    void enqueue(std::function<void()> work) override;

    // Runs everything queued so far (and what that enqueues); returns how many ran.
    int processPending();
    // Waits until at least one item is queued or the time is up, then runs what is queued.
    int waitAndProcess(std::chrono::milliseconds timeout);
    // Runs queued work until pred() is true or the time is up; returns pred().
    bool runUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout);
    // Wakes a thread blocked in waitAndProcess without queueing work.
    void wake();
    std::size_t pendingCount() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> queue_;
    bool woken_ = false;
};

}  // namespace platform
