#include "device/adapter/NotifyBridge.h"

#include <QCoreApplication>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <string>

#include "device/adapter/PendrelMessageBox.h"

namespace pendrel {

namespace {

std::mutex gReceiverMutex;
TNotifyReceiver* gReceiver = nullptr;  // guarded by gReceiverMutex

}  // namespace

TNotifyEvent::TNotifyEvent(TNotifyBlock b) : QEvent(eventType()), block(std::move(b)) {}

QEvent::Type TNotifyEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool TNotifyReceiver::event(QEvent* e) {
    if (e->type() != TNotifyEvent::eventType()) {
        return QObject::event(e);
    }
    ++dispatching_;
    try {
        handler_(static_cast<TNotifyEvent*>(e)->block);
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "Pendrel: notification %d lost: %s\n",
                     static_cast<TNotifyEvent*>(e)->block.event, ex.what());
    }
    --dispatching_;
    return true;
}

void AttachNotifyReceiver(TNotifyReceiver* receiver) {
    TNotifyEvent::eventType();  // registered before any box thread needs it
    std::lock_guard lock(gReceiverMutex);
    gReceiver = receiver;
}

extern "C" void PendrelBoxNotify(std::int32_t handle, std::int32_t event, std::intptr_t param,
                                 std::int32_t reserved1, std::int32_t reserved2,
                                 std::int32_t reserved3) {
    std::string failure;
    try {
        auto e = std::make_unique<TNotifyEvent>(
            MakeNotifyBlock(handle, event, param, reserved1, reserved2, reserved3));
        std::lock_guard lock(gReceiverMutex);
        if (gReceiver != nullptr) {
            // Posting under the lock: the receiver cannot be detached and
            // destroyed while the event is on its way into its queue.
            QCoreApplication::postEvent(gReceiver, e.release());
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
