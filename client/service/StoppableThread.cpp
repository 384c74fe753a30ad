#include "client/service/StoppableThread.h"

#include <chrono>

TStoppableThread::~TStoppableThread() {
    StopAndJoin();
}

void TStoppableThread::Start(std::function<void()> body) {
    thread_ = std::thread(std::move(body));
}

void TStoppableThread::RequestStop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    cv_.notify_all();
}

bool TStoppableThread::StopRequested() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stop_;
}

bool TStoppableThread::WaitFor(int ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_; });
}

void TStoppableThread::StopAndJoin() {
    RequestStop();
    if (thread_.joinable())
        thread_.join();
}
