#include "device/adapter/NotifyBridge.h"

#include <QCoreApplication>
#include <QEvent>
#include <cstdio>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <string>

#include "device/adapter/PendrelMessageBox.h"

namespace pendrel {

namespace {

// The queue, not the posted event, carries the notification: everything that
// crosses between the threads does so under this one lock.
std::mutex gMutex;
TNotifyReceiver* gReceiver = nullptr;  // guarded by gMutex
std::deque<TNotifyBlock> gQueue;       // guarded by gMutex

QEvent::Type WakeEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

std::optional<TNotifyBlock> TakeNotification(const TNotifyReceiver* receiver) {
    std::lock_guard lock(gMutex);
    if (receiver != gReceiver || gQueue.empty()) {
        return std::nullopt;
    }
    TNotifyBlock block = std::move(gQueue.front());
    gQueue.pop_front();
    return block;
}

}  // namespace

void TNotifyReceiver::customEvent(QEvent*) {
    std::optional<TNotifyBlock> block = TakeNotification(this);
    if (!block) {
        return;
    }
    ++dispatching_;
    try {
        handler_(*block);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Pendrel: notification %d lost: %s\n", block->event, e.what());
    }
    --dispatching_;
}

void AttachNotifyReceiver(TNotifyReceiver* receiver) {
    WakeEventType();  // registered before any box thread needs it
    std::lock_guard lock(gMutex);
    gReceiver = receiver;
    gQueue.clear();
}

extern "C" void PendrelBoxNotify(std::int32_t handle, std::int32_t event, std::intptr_t param,
                                 std::int32_t reserved1, std::int32_t reserved2,
                                 std::int32_t reserved3) {
    std::string failure;
    try {
        TNotifyBlock block = MakeNotifyBlock(handle, event, param, reserved1, reserved2, reserved3);
        std::lock_guard lock(gMutex);
        if (gReceiver != nullptr) {
            gQueue.push_back(std::move(block));
            // Posting under the lock: the receiver cannot be detached and
            // destroyed while the event is on its way into its queue.
            QCoreApplication::postEvent(gReceiver, new QEvent(WakeEventType()));
        }
        return;
    } catch (const std::exception& ex) {
        failure = ex.what();
    } catch (...) {
        failure = "unknown error";
    }
    ShowPendrelMessage("-ProcessMsg-:" + failure);
}

}  // namespace pendrel
