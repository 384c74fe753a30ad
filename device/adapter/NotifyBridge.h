// Carries the box's notifications from the box's thread to the thread that
// opened the device: the box's callback copies each one into a queue and
// posts a wake-up event to the receiver attached there, which takes the
// notification from the queue and hands it to its handler.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

#include "device/adapter/NotifyBlock.h"

namespace pendrel {

// Lives on the thread that opened the device.
class TNotifyReceiver : public QObject {
  public:
    using Handler = std::function<void(const TNotifyBlock&)>;
    explicit TNotifyReceiver(Handler handler) : handler_(std::move(handler)) {}
    bool dispatching() const { return dispatching_ > 0; }

  protected:
    // One wake-up event per queued notification; the event itself carries nothing.
    void customEvent(QEvent* event) override;

  private:
    Handler handler_;
    int dispatching_ = 0;
};

// From now on, notifications go to `receiver` (nullptr: they are dropped), and
// those still queued for the previous receiver are discarded. After it returns,
// nothing is posted to the previous receiver any more.
void AttachNotifyReceiver(TNotifyReceiver* receiver);

// The box's notification callback; runs on the box's thread.
extern "C" void PendrelBoxNotify(std::int32_t handle, std::int32_t event, std::intptr_t param,
                                 std::int32_t reserved1, std::int32_t reserved2,
                                 std::int32_t reserved3);

}  // namespace pendrel
