// A long-lived worker thread that can be asked to stop and waits in slices
// that end early when it is.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class TStoppableThread {
  public:
    TStoppableThread() = default;
    ~TStoppableThread();  // stops and joins
    TStoppableThread(const TStoppableThread&) = delete;
    TStoppableThread& operator=(const TStoppableThread&) = delete;

    void Start(std::function<void()> body);
    void RequestStop();
    bool StopRequested() const;
    // Waits up to `ms`; returns true when a stop was requested.
    bool WaitFor(int ms);
    // Requests a stop and waits for the body to end.
    void StopAndJoin();

  private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool stop_ = false;
    std::thread thread_;
};
