#include "platform/qt/QtPeriodicTimer.h"

namespace platform {

QtPeriodicTimer::QtPeriodicTimer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (onTick_)
            onTick_();
    });
}

void QtPeriodicTimer::start(int intervalMs, std::function<void()> onTick) {
    onTick_ = std::move(onTick);
    timer_.start(intervalMs);
}

}  // namespace platform
