#include "client/service/OneShotThread.h"

#include <memory>
#include <thread>

#include "client/service/WorkerShared.h"

void StartOneShotThread(std::function<void()> body) {
    auto count = std::make_shared<service_detail::OneShotWorkerCount>();
    std::thread([body = std::move(body), count]() mutable {
        try {
            body();
        } catch (...) {
            // The body reports its own failures; nothing may escape the thread.
        }
        body = nullptr;  // free what the worker owned before it counts itself out
        count.reset();
    }).detach();
}
