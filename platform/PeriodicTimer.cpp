#include "platform/PeriodicTimer.h"

namespace platform {

void ManualTimer::start(int intervalMs, std::function<void()> onTick) {
    interval_ = intervalMs;
    onTick_ = std::move(onTick);
    active_ = true;
}

bool ManualTimer::tick() {
    if (!active_ || !onTick_)
        return false;
    auto tick = onTick_;  // the handler may stop or restart the timer
    tick();
    return true;
}

void ManualTimer::tick(int count) {
    for (int i = 0; i < count; ++i)
        tick();
}

}  // namespace platform
