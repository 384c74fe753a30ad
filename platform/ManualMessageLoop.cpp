#include "platform/ManualMessageLoop.h"

namespace platform {

void ManualMessageLoop::enqueue(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(work));
    }
    cv_.notify_all();
}

int ManualMessageLoop::processPending() {
    int ran = 0;
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty())
                return ran;
            work = std::move(queue_.front());
            queue_.pop_front();
        }
        work();
        ++ran;
    }
}

int ManualMessageLoop::waitAndProcess(std::chrono::milliseconds timeout) {
    {
        std::unique_lock lock(mutex_);
        cv_.wait_for(lock, timeout, [this] { return !queue_.empty() || woken_; });
        woken_ = false;
    }
    return processPending();
}

bool ManualMessageLoop::runUntil(const std::function<bool()>& pred,
                                 std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        processPending();
        if (pred())
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return pred();
        auto slice = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        waitAndProcess(std::min(slice, std::chrono::milliseconds(20)));
    }
}

void ManualMessageLoop::wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    cv_.notify_all();
}

std::size_t ManualMessageLoop::pendingCount() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

}  // namespace platform
