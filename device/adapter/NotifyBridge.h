// Carries the box's notifications from the box's thread to the thread that
// opened the device: the box's callback copies each one into an event and
// posts it to the receiver attached there.
#pragma once

#include <QEvent>
#include <QObject>
#include <cstdint>
#include <functional>

#include "device/adapter/NotifyBlock.h"

namespace pendrel {

class TNotifyEvent : public QEvent {
  public:
    explicit TNotifyEvent(TNotifyBlock b);
    static QEvent::Type eventType();
    TNotifyBlock block;
};

// Lives on the thread that opened the device and hands every notification to
// its handler there.
class TNotifyReceiver : public QObject {
  public:
    using Handler = std::function<void(const TNotifyBlock&)>;
    explicit TNotifyReceiver(Handler handler) : handler_(std::move(handler)) {}
    bool event(QEvent* e) override;
    bool dispatching() const { return dispatching_ > 0; }

  private:
    Handler handler_;
    int dispatching_ = 0;
};

// From now on, notifications go to `receiver` (nullptr: they are dropped).
// After it returns, none is posted to the previous receiver any more.
void AttachNotifyReceiver(TNotifyReceiver* receiver);

// The box's notification callback; runs on the box's thread.
extern "C" void PendrelBoxNotify(std::int32_t handle, std::int32_t event, std::intptr_t param,
                                 std::int32_t reserved1, std::int32_t reserved2,
                                 std::int32_t reserved3);

}  // namespace pendrel
