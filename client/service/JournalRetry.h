// Writing a queue out again after the disk refused its journal.
#pragma once

#include <chrono>
#include <string>

#include "client/service/WorkerLog.h"

// Retries queue.RetryPersist at most once every intervalMs while the journal
// is not in order; logs writtenLine once the queue is on disk again.
template <class Queue>
void RetryJournalWhenDue(Queue& queue, std::chrono::steady_clock::time_point& lastTry,
                         int intervalMs, const char* writtenLine) {
    if (queue.JournalOk())
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastTry < std::chrono::milliseconds(intervalMs))
        return;
    lastTry = now;
    std::string error;
    if (queue.RetryPersist(error))
        LogWorkerMsg(writtenLine);
}
