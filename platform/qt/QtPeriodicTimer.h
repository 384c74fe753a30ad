// A periodic timer on the Qt event loop of the calling thread.
#pragma once

#include <QTimer>

#include "platform/PeriodicTimer.h"

namespace platform {

class QtPeriodicTimer : public PeriodicTimer {
  public:
    QtPeriodicTimer();
    void start(int intervalMs, std::function<void()> onTick) override;
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

  private:
    QTimer timer_;
    std::function<void()> onTick_;
};

}  // namespace platform
